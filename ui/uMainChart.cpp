// The main window's totals chart: the label and grouping combo boxes above it, the
// width rule, and its pop-up menu (short names, series type, copy, print).

#include "uMain.h"

#include <QAbstractBarSeries>
#include <QActionGroup>
#include <QApplication>
#include <QAreaSeries>
#include <QBuffer>
#include <QChart>
#include <QChartView>
#include <QClipboard>
#include <QComboBox>
#include <QEvent>
#include <QGraphicsScene>
#include <QHBoxLayout>
#include <QLabel>
#include <QLegend>
#include <QLegendMarker>
#include <QLocale>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QPieLegendMarker>
#include <QPieSeries>
#include <QPieSlice>
#include <QPrintDialog>
#include <QPrinter>
#include <QSvgGenerator>
#include <QVBoxLayout>
#include <QXYSeries>

#include "uMonitor.h"
#include "uSettings.h"

namespace {

// cbxChart's items, in order.
enum TChartLabels {
    LabelsNone,
    LabelsValue,
    LabelsPercent,
    LabelsName,
    LabelsNamePercent,
    LabelsNameValue,
    LabelsLegend,
    LabelsPercentTotal,
    LabelsNamePercentTotal,
    LabelsXValue,
};

constexpr int LegendMinWidth = 150;
constexpr int PieStyle = 5;
constexpr int LastChartStyle = 6;
// A slice's own label, before a label style replaced its text.
constexpr char SliceNameProperty[] = "bvSliceName";

// At most two decimals, without trailing zeros: 12,5 and 7 rather than 12,50 and 7,00.
QString ShortNumber(double value)
{
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    QString text = locale.toString(value, 'f', 2);
    const QString point = locale.decimalPoint();
    if (text.contains(point)) {
        while (text.endsWith(QLatin1Char('0')))
            text.chop(1);
        if (text.endsWith(point))
            text.chop(point.size());
    }
    return text;
}

QString SliceText(int labels, const QString &name, const QPieSlice &slice, double total, int index)
{
    const QString value = ShortNumber(slice.value());
    const QString percent = ShortNumber(slice.percentage() * 100.0) + QStringLiteral(" %");
    const QString ofTotal = percent + QStringLiteral(" van ") + ShortNumber(total);
    switch (labels) {
    case LabelsValue:
        return value;
    case LabelsPercent:
        return percent;
    case LabelsNamePercent:
        return name + QLatin1Char(' ') + percent;
    case LabelsNameValue:
        return name + QLatin1Char(' ') + value;
    case LabelsPercentTotal:
        return ofTotal;
    case LabelsNamePercentTotal:
        return name + QLatin1Char(' ') + ofTotal;
    case LabelsXValue:
        return QString::number(index);
    default: // name, legend text
        return name;
    }
}

void MarkPie(QPieSeries &pie, int labels)
{
    const QList<QPieSlice *> slices = pie.slices();
    for (int i = 0; i < slices.size(); ++i) {
        QPieSlice &slice = *slices[i];
        if (!slice.property(SliceNameProperty).isValid())
            slice.setProperty(SliceNameProperty, slice.label());
        const QString name = slice.property(SliceNameProperty).toString();
        slice.setLabelVisible(labels != LabelsNone);
        slice.setLabel(labels == LabelsNone ? name : SliceText(labels, name, slice, pie.sum(), i));
    }
}

// Lines, areas and points label a point by its x or y value only: the names stand on
// the axis, so every style with a value, percentage or name shows the value.
QString PointFormat(int labels)
{
    return labels == LabelsXValue ? QStringLiteral("@xPoint") : QStringLiteral("@yPoint");
}

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
    top->addWidget(cbxChart);
    top->addWidget(new QLabel(QStringLiteral("Op")));
    cbxType = new QComboBox;
    cbxType->setObjectName(QStringLiteral("cbxType"));
    cbxType->addItems({QStringLiteral("Programma"), QStringLiteral("Toegang"), QStringLiteral("Programma+toegang"),
                       QStringLiteral("Land")});
    top->addWidget(cbxType);
    top->addStretch(1);
    layout->addLayout(top);

    chtTotals = new QChartView;
    chtTotals->setObjectName(QStringLiteral("chtTotals"));
    chtTotals->setRenderHint(QPainter::Antialiasing);
    QFont titleFont(QStringLiteral("Arial"));
    titleFont.setBold(true);
    chtTotals->chart()->setTitleFont(titleFont);
    chtTotals->chart()->setTitleBrush(QColor(Qt::blue));
    chtTotals->installEventFilter(this);
    layout->addWidget(chtTotals, 1);
    CreateChartMenu();
    // The monitor makes a new series whenever its points change.
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
    m_monitor->UpdateChart();
    ApplyChartMarks(false);
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
    if (!series || (!force && series == m_markedSeries))
        return;
    m_markedSeries = series;
    const int labels = cbxChart->currentIndex();
    const bool shown = labels != LabelsNone;

    if (auto *pie = qobject_cast<QPieSeries *>(series)) {
        MarkPie(*pie, labels);
    } else if (auto *bars = qobject_cast<QAbstractBarSeries *>(series)) {
        // Bars know only their value.
        bars->setLabelsVisible(shown);
        bars->setLabelsFormat(QStringLiteral("@value"));
    } else if (auto *area = qobject_cast<QAreaSeries *>(series)) {
        area->setPointLabelsVisible(shown);
        area->setPointLabelsFormat(PointFormat(labels));
    } else if (auto *xy = qobject_cast<QXYSeries *>(series)) {
        xy->setPointLabelsVisible(shown);
        xy->setPointLabelsFormat(PointFormat(labels));
    }

    const bool wide = chtTotals->width() > LegendMinWidth;
    const QList<QLegendMarker *> markers = chart->legend()->markers(series);
    for (QLegendMarker *marker : markers) {
        // The legend names the slices, whatever text their labels carry.
        if (auto *pieMarker = qobject_cast<QPieLegendMarker *>(marker))
            pieMarker->setLabel(pieMarker->slice()->property(SliceNameProperty).toString());
        marker->setVisible(wide);
    }
}

void TfrmMain::mnuShortNamesClick()
{
    m_monitor->ShortNames = !m_monitor->ShortNames;
    mnuShortNames->setChecked(m_monitor->ShortNames);
    m_monitor->UpdateChart();
    ApplyChartMarks(false);
}

void TfrmMain::mnuChartTypeClick(int style)
{
    m_monitor->SetChartStyle(style);
    ApplyChartMarks(false);
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
