#include "uBig.h"

#include <QCloseEvent>
#include <QLabel>
#include <QVBoxLayout>

#include "uAnalogNumber.h"
#include "uDayCounter.h"
#include "uGlobal.h"
#include "uSettings.h"
#include "uScreenFit.h"
#include "uWindowStates.h"

namespace {

constexpr int DigitFontHeight = 53;
constexpr int HeadingFontHeight = 20;
constexpr int WeightOnline = 2;
constexpr int WeightCalls = 4;
constexpr int WeightMinutes = 8;
constexpr int WeightEuros = 5;

} // namespace

TfrmBig::TfrmBig(QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::Tool)
{
    setAttribute(Qt::WA_DeleteOnClose);
    // The main window only hides behind this one: closing it must not end the program.
    setAttribute(Qt::WA_QuitOnClose, false);
    setWindowTitle(QStringLiteral("Belvora Webmaster Monitor"));
    new TWindowStates(this, [] { return QByteArrayList{TWindowStates::SkipTaskbar}; });
    new TScreenFit(this);
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);
    setAutoFillBackground(true);

    pnOnline = CreatePanel(QStringLiteral("Online"), &anOnline, 3, QStringLiteral("Online bellers"), 110);
    Panel5 = CreateStrip();
    pnCalls = CreatePanel(QStringLiteral("Bellers"), &anCalls, 4, QStringLiteral("Aantal bellers vandaag"), 130);
    Panel6 = CreateStrip();
    pnMin = CreatePanel(QStringLiteral("Minuten"), &anMinutes, 8, QStringLiteral("Aantal minuten vandaag"), 258);
    anMinutes->SetSeparatorPos(5);
    Panel7 = CreateStrip();
    pnEuro = CreatePanel(QStringLiteral("Euro's"), &anEuro, 5, QStringLiteral("Aantal minuten vandaag"), 163);
    pnEuro->setVisible(!PayoutRules.empty());
    resize(684, 117);
}

QWidget *TfrmBig::CreatePanel(const QString &heading, TAnalogNumber **counter, int digits, const QString &hint,
                              int width)
{
    auto *panel = new QWidget(this);
    panel->resize(width, height());
    auto *layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto *label = new QLabel(heading);
    label->setFixedHeight(HeadingHeight);
    QFont font = label->font();
    font.setPixelSize(HeadingFontHeight);
    label->setFont(font);
    label->setAlignment(Qt::AlignCenter);
    QPalette white = label->palette();
    white.setColor(QPalette::WindowText, Qt::white);
    label->setPalette(white);
    layout->addWidget(label);

    TAnalogNumber *number = MakeDayCounter(digits, hint);
    QFont digitFont = number->font();
    digitFont.setPixelSize(DigitFontHeight);
    number->setFont(digitFont);
    // Without a digit picture the cells are framed boxes sized from the control.
    number->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    layout->addWidget(number, 1);
    *counter = number;
    return panel;
}

QWidget *TfrmBig::CreateStrip()
{
    auto *strip = new QWidget(this);
    strip->resize(StripWidth, height());
    QPalette grey = strip->palette();
    grey.setColor(QPalette::Window, QColor(64, 64, 64));
    strip->setPalette(grey);
    strip->setAutoFillBackground(true);
    strip->installEventFilter(this);
    return strip;
}

TfrmBig::TWidths TfrmBig::ShareWidth(int clientWidth, bool online, bool calls, bool minutes, bool euros)
{
    const int weights = (online ? WeightOnline : 0) + (calls ? WeightCalls : 0) + (minutes ? WeightMinutes : 0)
        + (euros ? WeightEuros : 0);
    if (weights == 0)
        return {};
    // The 15 are the three toggle strips.
    const int unit = (clientWidth - 3 * StripWidth) / weights;
    return {WeightOnline * unit, WeightCalls * unit, WeightMinutes * unit, WeightEuros * unit - 4};
}

void TfrmBig::FormResize()
{
    const TWidths widths = ShareWidth(width(), !pnOnline->isHidden(), !pnCalls->isHidden(), !pnMin->isHidden(),
                                      !pnEuro->isHidden());
    if (widths.Online >= 0) {
        pnOnline->resize(widths.Online, pnOnline->height());
        pnCalls->resize(widths.Calls, pnCalls->height());
        pnMin->resize(widths.Minutes, pnMin->height());
        pnEuro->resize(qMax(0, widths.Euros), pnEuro->height());
    }
    Arrange();
}

void TfrmBig::Arrange()
{
    int x = 0;
    for (QWidget *part : {pnOnline, Panel5, pnCalls, Panel6, pnMin, Panel7, pnEuro}) {
        if (part->isHidden())
            continue;
        part->setGeometry(x, 0, part->width(), height());
        x += part->width();
    }
}

void TfrmBig::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    WatchMinimise(this, m_watchedHandle, [this] { Q_EMIT MinimiseRequested(); });
}

void TfrmBig::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    FormResize();
}

// Toggling keeps the window's size but shares its width anew at once: shares made for
// fewer panels would push the panels on the right out of the window.
void TfrmBig::Panel5DblClick()
{
    pnOnline->setVisible(pnOnline->isHidden());
    FormResize();
}

void TfrmBig::Panel6DblClick()
{
    pnCalls->setVisible(pnCalls->isHidden());
    FormResize();
}

void TfrmBig::Panel7DblClick()
{
    pnMin->setVisible(pnMin->isHidden());
    FormResize();
}

bool TfrmBig::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonDblClick) {
        if (watched == Panel5)
            Panel5DblClick();
        else if (watched == Panel6)
            Panel6DblClick();
        else if (watched == Panel7)
            Panel7DblClick();
        else
            return QWidget::eventFilter(watched, event);
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void TfrmBig::closeEvent(QCloseEvent *event)
{
    Settings.ShowOnline = !pnOnline->isHidden();
    Settings.ShowCalls = !pnCalls->isHidden();
    Settings.ShowMinutes = !pnMin->isHidden();
    hide();
    Settings.LargePos = pos();
    Settings.LargeW = width();
    Settings.LargeH = height();
    event->accept();
    Q_EMIT RestoreRequested();
}
