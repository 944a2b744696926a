#pragma once

#include <QDateTime>
#include <QString>
#include <QTemporaryDir>

// The process-wide state a test function starts from: default Settings, the four global
// lists empty, no trigger fired yet, ProgramDir a fresh empty folder that is also the
// current folder (where the debug log goes), the Dutch locale, and the clock standing at a
// chosen moment (or the system clock). A test makes one in init() and drops it in
// cleanup(); dropping it puts the system clock, the C locale, the previous folders back
// and empties the lists.
class TProcessState final
{
public:
    // An invalid `now` leaves the system clock running.
    explicit TProcessState(const QDateTime &now = {});
    ~TProcessState();
    TProcessState(const TProcessState &) = delete;
    TProcessState &operator=(const TProcessState &) = delete;

    // The clock stands at `now` from here on.
    void SetNow(const QDateTime &now);
    // The program folder, without a trailing "/", and a path inside it.
    QString Folder() const { return m_dir.path(); }
    QString FilePath(const QString &name) const { return m_dir.filePath(name); }

private:
    QTemporaryDir m_dir;
    QString m_previousProgramDir;
    QString m_previousCurrentDir;
    QDateTime m_now;
};
