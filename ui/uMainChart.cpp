// The main window's totals chart: the label and grouping combo boxes above it, the
// width rule, and its pop-up menu (short names, series type, copy, print).

#include "uMain.h"

#include <QActionGroup>
#include <QApplication>
#include <QBuffer>
#include <QChart>
#include <QChartView>
#include <QClipboard>
#include <QComboBox>
#include <QEvent>
#include <QGraphicsLayout>
#include <QGraphicsScene>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QPieSeries>
#include <QPrintDialog>
#include <QPrinter>
#include <QSvgGenerator>
#include <QVBoxLayout>

#include "uChartLabels.h"
#include "uMonitor.h"
#include "uSettings.h"
#include "uTotalsChart.h"

namespace {

constexpr int LegendMinWidth = 150;
constexpr int PieStyle = 5;
constexpr int LastChartStyle = 6;
constexpr int ChartMargin = 6;
constexpr int ChoiceLength = 8;
// The choices grow before the room beside them does.
constexpr int ChoiceStretch = 100;

} // namespace

QWidget *TfrmMain::CreateChartPage()
{
    tsChart = new QWidget;
    auto *layout = new QVBoxLayout(tsChart);
    layout->setContentsMargins(0, 2, 0, 0);
    layout->setSpacing(2);

    auto *top = new QHBoxLayout;
    top->setContentsMargins(2, 0, 2, 0);
    lblLabels = new QLabel(QStringLiteral("Labels"));
    top->addWidget(lblLabels);
    cbxChart = new QComboBox;
    cbxChart->setObjectName(QStringLiteral("cbxChart"));
    cbxChart->addItems({QStringLiteral("Geen"), QStringLiteral("Waarden"), QStringLiteral("Procenten"),
                        QStringLiteral("Naam"), QStringLiteral("Naam + procent"), QStringLiteral("Naam + waarde"),
                        QStringLiteral("Legenda"), QStringLiteral("Procent totaal"),
                        QStringLiteral("Naam+procent+totaal"), QStringLiteral("X-waarde")});
    top->addWidget(cbxChart, ChoiceStretch);
    top->addWidget(new QLabel(QStringLiteral("Op")));
    cbxType = new QComboBox;
    cbxType->setObjectName(QStringLiteral("cbxType"));
    cbxType->addItems({QStringLiteral("Programma"), QStringLiteral("Toegang"), QStringLiteral("Programma+toegang"),
                       QStringLiteral("Land")});
    top->addWidget(cbxType, ChoiceStretch);
    top->addStretch(1);
    // The info panel may be narrow: the choices shorten rather than set its least width,
    // and take the room there is up to their longest text.
    for (QComboBox *combo : {cbxChart, cbxType}) {
        const int whole = combo->sizeHint().width();
        combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        combo->setMinimumContentsLength(ChoiceLength);
        combo->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        combo->setMaximumWidth(whole);
    }
    layout->addLayout(top);

    chtTotals = new QChartView;
    chtTotals->setObjectName(QStringLiteral("chtTotals"));
    chtTotals->setRenderHint(QPainter::Antialiasing);
    QFont titleFont(QStringLiteral("Arial"));
    titleFont.setBold(true);
    chtTotals->chart()->setTitleFont(titleFont);
    chtTotals->chart()->setTitleBrush(QColor(Qt::blue));
    // The info panel is narrow: the labels need the room more than a frame around the chart.
    chtTotals->chart()->layout()->setContentsMargins(0, 0, 0, 0);
    chtTotals->chart()->setMargins(QMargins(ChartMargin, ChartMargin, ChartMargin, ChartMargin));
    chtTotals->chart()->setBackgroundRoundness(0);
    chtTotals->installEventFilter(this);
    layout->addWidget(chtTotals, 1);
    CreateChartMenu();
    // A new series, or one whose axes changed, is fitted once the scene has laid it out.
    connect(chtTotals->scene(), &QGraphicsScene::changed, this, [this] { ApplyChartMarks(false); });
    return tsChart;
}

void TfrmMain::CreateChartMenu()
{
    pmChart = new QMenu(this);
    mnuShortNames = pmChart->addAction(QStringLiteral("&Korte namen"));
    mnuShortNames->setCheckable(true);
    connect(mnuShortNames, &QAction::triggered, this, &TfrmMain::mnuShortNamesClick);

    QMenu *types = pmChart->addMenu(QStringLiteral("Grafiek type"));
    auto *group = new QActionGroup(types);
    const QString captions[] = {QStringLiteral("&Lijn"), QStringLiteral("&Area"), QStringLiteral("&Point"),
                                QStringLiteral("&Bar"), QStringLiteral("&Horizontal bar"), QStringLiteral("&Pie"),
                                QStringLiteral("&Fast line")};
    // The stored type gives the start; the menu changes the run only, not the setting.
    const int start = Settings.ChartType >= 0 && Settings.ChartType <= LastChartStyle ? Settings.ChartType : PieStyle;
    for (int style = 0; style <= LastChartStyle; ++style) {
        QAction *item = types->addAction(captions[style]);
        item->setCheckable(true);
        item->setChecked(style == start);
        group->addAction(item);
        connect(item, &QAction::triggered, this, [this, style] { mnuChartTypeClick(style); });
        mnuChartTypes.append(item);
    }

    connect(pmChart->addAction(QStringLiteral("&Kopiëren naar klembord")), &QAction::triggered, this,
            &TfrmMain::mnuCopyChartClick);
    QMenu *print = pmChart->addMenu(QStringLiteral("Afdrukken..."));
    connect(print->addAction(QStringLiteral("&Staand")), &QAction::triggered, this,
            [this] { PrintChart(QPageLayout::Portrait); });
    connect(print->addAction(QStringLiteral("&Liggend")), &QAction::triggered, this,
            [this] { PrintChart(QPageLayout::Landscape); });

    chtTotals->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(chtTotals, &QWidget::customContextMenuRequested, this, [this](const QPoint &pos) {
        mnuShortNames->setChecked(m_monitor->ShortNames);
        pmChart->popup(chtTotals->viewport()->mapToGlobal(pos));
    });
}

void TfrmMain::cbxChartChange(int index)
{
    Q_UNUSED(index);
    ApplyChartMarks(true);
}

void TfrmMain::cbxTypeChange(int index)
{
    m_monitor->ChartGrouping = index;
    UpdateChart();
}

void TfrmMain::UpdateChart()
{
    // A hidden chart is not refilled: the next refill of a shown one rebuilds it whole.
    if (!m_chart || !m_chart->IsVisible())
        return;
    QChart *chart = chtTotals->chart();
    const QAbstractSeries *before = chart->series().value(0);
    QString title = chart->title(); // an unknown grouping keeps it, with no points
    const std::vector<TChartPoint> points = m_monitor->ChartPoints(&title);
    m_chart->Show(title, points);
    // A pie changed in place is fitted now, before it is painted, so that its one paint
    // shows the labels in place; the scene's change would fit it only after a paint.
    const QAbstractSeries *after = chart->series().value(0);
    if (after && after == before && qobject_cast<const QPieSeries *>(after))
        ApplyChartMarks(false);
}

void TfrmMain::SetChartStyle(int style)
{
    m_chart->SetStyle(style);
    UpdateChart();
}

void TfrmMain::chtTotalsResize()
{
    const bool wide = chtTotals->width() > LegendMinWidth;
    // The caption goes with its combo box: alone it would label nothing.
    lblLabels->setVisible(wide);
    cbxChart->setVisible(wide);
    ApplyChartMarks(true);
}

void TfrmMain::ApplyChartMarks(bool force)
{
    QChart *chart = chtTotals->chart();
    const QList<QAbstractSeries *> all = chart->series();
    QAbstractSeries *series = all.isEmpty() ? nullptr : all.first();
    const int revision = m_chart->Revision();
    if (!series || (!force && series == m_markedSeries && revision == m_markedRevision))
        return;
    m_markedSeries = series;
    m_markedRevision = revision;
    FitChartLabels(*chart, cbxChart->currentIndex(), chtTotals->width() > LegendMinWidth);
}

void TfrmMain::mnuShortNamesClick()
{
    m_monitor->ShortNames = !m_monitor->ShortNames;
    mnuShortNames->setChecked(m_monitor->ShortNames);
    UpdateChart();
}

void TfrmMain::mnuChartTypeClick(int style)
{
    SetChartStyle(style);
}

void TfrmMain::mnuCopyChartClick()
{
    const QSize size = chtTotals->size();
    QBuffer svgBytes;
    svgBytes.open(QIODevice::WriteOnly);
    QSvgGenerator svg;
    svg.setOutputDevice(&svgBytes);
    svg.setSize(size);
    svg.setViewBox(QRect(QPoint(0, 0), size));
    svg.setTitle(chtTotals->chart()->title());
    {
        QPainter painter(&svg);
        chtTotals->render(&painter);
    }
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        chtTotals->render(&painter);
    }
    auto *data = new QMimeData;
    data->setData(QStringLiteral("image/svg+xml"), svgBytes.data());
    data->setImageData(image);
    QApplication::clipboard()->setMimeData(data);
}

void TfrmMain::PrintChart(QPageLayout::Orientation orientation)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageOrientation(orientation);
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    QPainter painter(&printer);
    const QRect page = painter.viewport();
    QSize size = chtTotals->size();
    size.scale(page.size(), Qt::KeepAspectRatio);
    painter.setViewport(page.x(), page.y(), size.width(), size.height());
    painter.setWindow(chtTotals->rect());
    chtTotals->render(&painter);
}
