#pragma once

#include <QMainWindow>

// The program's one permanent window and the root object of a run: it loads the
// settings when created and writes them back when destroyed.
class TfrmMain final : public QMainWindow
{
    Q_OBJECT
public:
    // `programDir` empty: the folder of the executable.
    explicit TfrmMain(const QString &programDir = QString(), QWidget *parent = nullptr);
    ~TfrmMain() override;

    bool Ready() const { return m_ready; }

private:
    bool m_ready = false;
};
