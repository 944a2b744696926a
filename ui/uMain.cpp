#include "uMain.h"

#include <QLabel>

#include "uSettings.h"

TfrmMain::TfrmMain(const QString &programDir, QWidget *parent)
    : QMainWindow(parent)
{
    LoadSettings(programDir);
    setWindowTitle(QStringLiteral("Belvora Webmaster Monitor"));
    resize(864, 520);
    auto *placeholder = new QLabel(QStringLiteral("Monitor gestopt"), this);
    placeholder->setAlignment(Qt::AlignCenter);
    setCentralWidget(placeholder);
    m_ready = true;
}

TfrmMain::~TfrmMain()
{
    SaveSettings();
}
