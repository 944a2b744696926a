#include "tProcessState.h"

#include <QDir>
#include <QLocale>

#include "uClock.h"
#include "uGlobal.h"
#include "uSettings.h"
#include "uTriggers.h"

namespace {

void ClearGlobals()
{
    Settings = TSettings();
    TPProgs.clear();
    TAccounts.clear();
    TTriggers.clear();
    PayoutRules.clear();
    LastTriggerTime = 0;
}

} // namespace

TProcessState::TProcessState(const QDateTime &now)
    : m_previousProgramDir(ProgramDir)
    , m_previousCurrentDir(QDir::currentPath())
{
    ClearGlobals();
    ProgramDir = m_dir.path() + QLatin1Char('/');
    QDir::setCurrent(m_dir.path());
    QLocale::setDefault(QLocale(QLocale::Dutch, QLocale::Netherlands));
    if (now.isValid())
        SetNow(now);
}

TProcessState::~TProcessState()
{
    Clock::SetNowFunction(nullptr);
    QLocale::setDefault(QLocale::c());
    ClearGlobals();
    ProgramDir = m_previousProgramDir;
    QDir::setCurrent(m_previousCurrentDir);
}

void TProcessState::SetNow(const QDateTime &now)
{
    m_now = now;
    Clock::SetNowFunction([this] { return m_now; });
}
