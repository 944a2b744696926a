#pragma once

#include <QPointer>
#include <QWidget>
#include <QWindow>

class QLabel;
class TAnalogNumber;

// The big counter window: large counters for reading from a distance, shown instead of
// the maximised main window. Its panels share the width by fixed weights; the thin strips
// between them toggle the panel on their left. The main window creates it on demand; it
// deletes itself when closed and asks the main window to restore.
class TfrmBig final : public QWidget
{
    Q_OBJECT
public:
    static constexpr int StripWidth = 5;
    static constexpr int HeadingHeight = 24;

    explicit TfrmBig(QWidget *parent = nullptr);

    // Widths of the four panels for a client width and the visible panels (online,
    // calls, minutes, euros); unchanged (-1) when none is visible.
    struct TWidths
    {
        int Online = -1;
        int Calls = -1;
        int Minutes = -1;
        int Euros = -1;
    };
    static TWidths ShareWidth(int clientWidth, bool online, bool calls, bool minutes, bool euros);

    void Panel5DblClick();
    void Panel6DblClick();
    void Panel7DblClick();

    QWidget *pnOnline = nullptr;
    QWidget *Panel5 = nullptr;
    QWidget *pnCalls = nullptr;
    QWidget *Panel6 = nullptr;
    QWidget *pnMin = nullptr;
    QWidget *Panel7 = nullptr;
    QWidget *pnEuro = nullptr;
    TAnalogNumber *anOnline = nullptr;
    TAnalogNumber *anCalls = nullptr;
    TAnalogNumber *anMinutes = nullptr;
    TAnalogNumber *anEuro = nullptr;

Q_SIGNALS:
    // Posted to the main window once the window has stored its place.
    void RestoreRequested();
    // The title bar asked to minimise it: a window without a taskbar button (or, on
    // Wayland, any minimised window) would be out of reach.
    void MinimiseRequested();

protected:
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *CreatePanel(const QString &heading, TAnalogNumber **counter, int digits, const QString &hint,
                         int width);
    QWidget *CreateStrip();
    void FormResize();
    // Lays the visible panels out from the left edge, each over the full height.
    void Arrange();

    QPointer<QWindow> m_watchedHandle;
};
