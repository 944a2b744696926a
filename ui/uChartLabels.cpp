#include "uChartLabels.h"

#include <QAbstractBarSeries>
#include <QAreaSeries>
#include <QBarCategoryAxis>
#include <QBarSet>
#include <QChart>
#include <QFontMetricsF>
#include <QGraphicsLayout>
#include <QHash>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QLocale>
#include <QPieLegendMarker>
#include <QPieSeries>
#include <QPieSlice>
#include <QScatterSeries>
#include <QTextDocument>
#include <QValueAxis>
#include <QXYSeries>
#include <QtMath>

#include <algorithm>
#include <numeric>
#include <tuple>

namespace {

// A slice's own name, and the text a label style last put in its label.
constexpr char SliceNameProperty[] = "bvSliceName";
constexpr char SliceTextProperty[] = "bvSliceText";

// Qt Charts' geometry of a label outside a pie: the gap between slice and arm, the arm
// as a share of the radius, the margin of the label's text; and the labels' own room.
constexpr qreal PieLabelGap = 5.0;
constexpr qreal DefaultArm = 0.15;
constexpr qreal LongestArm = 0.75;
constexpr qreal ArmStep = 0.05;
constexpr qreal LabelTextMargin = 0.5;
constexpr qreal LabelSpacing = 2.0;
// Pie sizes tried, as a share of the plot's shorter side, largest first.
constexpr qreal LargestPie = 0.85;
constexpr qreal SmallestPie = 0.3;
constexpr qreal PieStep = 0.05;
// A legend beside the pie must leave a pie of at least this radius.
constexpr qreal SmallestPieBesideLegend = 45.0;
// Room between a point or bar and its value label.
constexpr qreal ValueLabelOffset = 6.0;
constexpr int UprightAngle = -90;
// Qt Charts' room around an axis label, the share of the chart's height it gives the
// axes along the bottom, and what such an axis needs beside its labels' height.
constexpr qreal AxisLabelPadding = 4.0;
constexpr qreal MaxAxisShare = 0.4;
constexpr qreal AxisChrome = 14.0;
// Upright names shrink at most to this share of their font to fit.
constexpr qreal SmallestFontScale = 0.75;
// An axis' own font, before a fit made it smaller.
constexpr char BaseFontProperty[] = "bvBaseFont";

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

bool ShowsName(int labels)
{
    return labels == LabelsName || labels == LabelsNamePercent || labels == LabelsNameValue || labels == LabelsLegend
        || labels == LabelsNamePercentTotal;
}

// Slice labels are rich text in Qt Charts: names come escaped from the monitor. A name
// and a figure stand on one line, or on two where one line takes too much room.
QString SliceText(int labels, const QString &name, const QPieSlice &slice, double total, int index, bool twoLines)
{
    const QString between = twoLines ? QStringLiteral("<br>") : QStringLiteral(" ");
    const QString value = ShortNumber(slice.value());
    const QString percent = ShortNumber(slice.percentage() * 100.0) + QStringLiteral(" %");
    const QString ofTotal = percent + QStringLiteral(" van ") + ShortNumber(total);
    switch (labels) {
    case LabelsValue:
        return value;
    case LabelsPercent:
        return percent;
    case LabelsNamePercent:
        return name + between + percent;
    case LabelsNameValue:
        return name + between + value;
    case LabelsPercentTotal:
        return ofTotal;
    case LabelsNamePercentTotal:
        return name + between + ofTotal;
    case LabelsXValue:
        return QString::number(index);
    default: // name, legend text
        return name;
    }
}

// The name a slice was given: its label, unless that is the text a label style put there.
// So a slice that is given a new name in place is named anew.
QString SliceName(QPieSlice &slice)
{
    if (slice.label() != slice.property(SliceTextProperty).toString())
        slice.setProperty(SliceNameProperty, slice.label());
    return slice.property(SliceNameProperty).toString();
}

// The label texts of a style, one a slice; the labels keep theirs until MarkPie.
QStringList PieTexts(QPieSeries &pie, int labels, bool twoLines = false)
{
    const QList<QPieSlice *> slices = pie.slices();
    QStringList texts;
    for (int i = 0; i < slices.size(); ++i) {
        QPieSlice &slice = *slices[i];
        const QString name = SliceName(slice);
        texts.append(labels == LabelsNone ? name : SliceText(labels, name, slice, pie.sum(), i, twoLines));
    }
    return texts;
}

// Qt lays out a slice's label anew whenever its text is set: only changed texts are.
void MarkPie(QPieSeries &pie, const QStringList &texts)
{
    const QList<QPieSlice *> slices = pie.slices();
    for (int i = 0; i < slices.size(); ++i) {
        QPieSlice &slice = *slices[i];
        slice.setLabelPosition(QPieSlice::LabelOutside);
        if (slice.label() != texts.value(i))
            slice.setLabel(texts.value(i));
        slice.setProperty(SliceTextProperty, slice.label());
    }
}

// The size Qt Charts gives a label's rich text. Laying out rich text is slow, and the
// same labels are measured at every refresh and resize: the sizes are kept a while.
QSizeF TextSize(const QFont &font, const QString &text)
{
    constexpr int KeptSizes = 1024;
    static QHash<QString, QSizeF> kept;
    const QString key = font.key() + QLatin1Char('\n') + text;
    const auto found = kept.constFind(key);
    if (found != kept.constEnd())
        return *found;
    QTextDocument document;
    document.setDocumentMargin(LabelTextMargin);
    document.setDefaultFont(font);
    document.setHtml(text);
    if (kept.size() >= KeptSizes)
        kept.clear();
    return *kept.insert(key, document.size());
}

QPointF Offset(qreal angle, qreal length)
{
    return QPointF(qSin(qDegreesToRadians(angle)) * length, -qCos(qDegreesToRadians(angle)) * length);
}

// Where Qt Charts puts the label of a slice whose middle lies at `angle` (degrees
// clockwise from twelve o'clock): at the end of an arm, left of it on the left half.
QRectF PieLabelRect(QPointF center, qreal radius, qreal angle, qreal arm, QSizeF size)
{
    const QPointF armStart = center + Offset(angle, radius + PieLabelGap);
    qreal direction = std::fmod(angle, 360.0);
    if (direction < 0)
        direction += 360.0;
    // Qt keeps arms from pointing straight down.
    if (direction > 170 && direction < 180)
        direction = 170;
    else if (direction > 180 && direction < 190)
        direction = 190;
    const QPointF armEnd = armStart + Offset(direction, radius * arm);
    const qreal left = direction < 180 ? armEnd.x() : armEnd.x() - size.width();
    return QRectF(left, armEnd.y() - size.height() + 1.0, size.width(), size.height());
}

bool TouchesCircle(const QRectF &rect, QPointF center, qreal radius)
{
    const QPointF nearest(qBound(rect.left(), center.x(), rect.right()), qBound(rect.top(), center.y(), rect.bottom()));
    const QPointF d = nearest - center;
    return d.x() * d.x() + d.y() * d.y() < radius * radius;
}

struct TPieLayout
{
    qreal Size = LargestPie;
    qreal Radius = 0.0;
    QList<qreal> Arms;       // per slice
    QList<bool> Shown;       // per slice
    double ShownValue = 0.0; // the slices' values whose labels found a place
    bool Complete = true;    // every wanted label found a place
};

// The largest pie whose labels all find a free place in `plot`, trying longer arms for
// a label that would cover another; when none does, the size that places most labels.
TPieLayout FitPie(const QPieSeries &pie, const QStringList &texts, const QRectF &plot, bool labelled)
{
    const QList<QPieSlice *> slices = pie.slices();
    QList<QSizeF> sizes;
    QList<int> order;
    for (int i = 0; i < slices.size(); ++i) {
        sizes.append(TextSize(slices[i]->labelFont(), texts.value(i)));
        order.append(i);
    }
    // The largest slices choose their places first.
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return slices[a]->value() > slices[b]->value(); });

    TPieLayout best;
    best.ShownValue = -1.0;
    const QPointF center = plot.center();
    const qreal side = qMin(plot.width(), plot.height()) / 2.0;
    for (qreal size = LargestPie; size >= SmallestPie - 0.001; size -= PieStep) {
        TPieLayout layout;
        layout.Size = size;
        layout.Radius = side * size;
        layout.Arms = QList<qreal>(slices.size(), DefaultArm);
        layout.Shown = QList<bool>(slices.size(), false);
        QList<QRectF> placed;
        for (const int i : order) {
            if (!labelled || slices[i]->value() <= 0.0)
                continue;
            const qreal angle = slices[i]->startAngle() + slices[i]->angleSpan() / 2.0;
            for (qreal arm = DefaultArm; arm <= LongestArm + 0.001; arm += ArmStep) {
                const QRectF rect = PieLabelRect(center, layout.Radius, angle, arm, sizes[i]);
                const QRectF spaced = rect.adjusted(-LabelSpacing, -LabelSpacing, LabelSpacing, LabelSpacing);
                if (!plot.contains(rect) || TouchesCircle(rect, center, layout.Radius)
                    || std::any_of(placed.begin(), placed.end(), [&](const QRectF &r) { return r.intersects(spaced); }))
                    continue;
                placed.append(rect);
                layout.Arms[i] = arm;
                layout.Shown[i] = true;
                layout.ShownValue += slices[i]->value();
                break;
            }
            if (!layout.Shown[i])
                layout.Complete = false;
        }
        if (layout.Complete)
            return layout;
        // Short of room for all, the labels of the largest slices count most.
        if (layout.ShownValue > best.ShownValue)
            best = layout;
    }
    return best;
}

void ApplyPie(QPieSeries &pie, const TPieLayout &layout)
{
    pie.setPieSize(layout.Size);
    const QList<QPieSlice *> slices = pie.slices();
    for (int i = 0; i < slices.size(); ++i) {
        slices[i]->setLabelArmLengthFactor(layout.Arms.value(i, DefaultArm));
        slices[i]->setLabelVisible(layout.Shown.value(i, false));
    }
}

void LayOut(QChart &chart)
{
    if (QGraphicsLayout *layout = chart.layout()) {
        layout->invalidate();
        layout->activate();
    }
}

struct TLegendPlace
{
    Qt::Alignment Alignment = Qt::AlignRight;
    TPieLayout Pie;
    bool NamesWhole = false;    // every name shown in full
    bool NamesReadable = false; // names shortened, but more than a colour square
};

// A legend entry as Qt Charts sizes it: the text, a square marker about as wide as the
// text is high, and margins and spacing around both.
QSizeF LegendEntrySize(const QFont &font, const QString &label)
{
    constexpr qreal Chrome = 11.0;
    const QSizeF text = TextSize(font, label);
    return QSizeF(text.width() + QFontMetricsF(font).height() + Chrome, text.height() + 6.0);
}

TLegendPlace TryLegend(QChart &chart, const QPieSeries &pie, const QStringList &texts, bool labelled,
                       Qt::Alignment alignment)
{
    QLegend &key = *chart.legend();
    key.setAlignment(alignment);
    LayOut(chart);
    TLegendPlace place;
    place.Alignment = alignment;
    place.Pie = FitPie(pie, texts, chart.plotArea(), labelled);
    qreal left = 0.0, top = 0.0, right = 0.0, bottom = 0.0;
    key.getContentsMargins(&left, &top, &right, &bottom);
    const QRectF given = key.geometry().adjusted(left, top, -right, -bottom);
    qreal widest = 0.0, rowWidth = 0.0, columnHeight = 0.0;
    const QList<QPieSlice *> slices = pie.slices();
    for (const QPieSlice *slice : slices) {
        const QSizeF entry = LegendEntrySize(key.font(), slice->property(SliceNameProperty).toString());
        widest = qMax(widest, entry.width());
        rowWidth += entry.width();
        columnHeight += entry.height();
    }
    // A name of eight characters or more, with its marker, counts as readable.
    const qreal readableEntry = LegendEntrySize(key.font(), QString(8, QLatin1Char('x'))).width();
    if (alignment == Qt::AlignRight) {
        // A list too long for the height scrolls, but its names stay readable.
        place.NamesWhole = given.width() >= widest && given.height() >= columnHeight;
        place.NamesReadable = given.width() >= readableEntry;
    } else {
        place.NamesWhole = given.width() >= rowWidth;
        place.NamesReadable = given.width() >= readableEntry * slices.size();
    }
    return place;
}

// All labels placed first, then the labels of most of the pie (in steps of a twentieth),
// a fair pie, names in full, names at all, and a larger pie.
bool Better(const TLegendPlace &a, const TLegendPlace &b, double total)
{
    const auto rank = [total](const TLegendPlace &p) {
        const int share = total > 0.0 ? int(20.0 * p.Pie.ShownValue / total) : 0;
        return std::tuple(p.Pie.Complete, share, p.Pie.Radius >= SmallestPieBesideLegend, p.NamesWhole,
                          p.NamesReadable, p.Pie.Radius);
    };
    return rank(a) > rank(b);
}

// The label style that leaves the names to the legend: the figures alone.
int FiguresOnly(int labels)
{
    switch (labels) {
    case LabelsNamePercent:
        return LabelsPercent;
    case LabelsNameValue:
        return LabelsValue;
    case LabelsNamePercentTotal:
        return LabelsPercentTotal;
    case LabelsName:
    case LabelsLegend:
        return LabelsNone;
    default:
        return labels;
    }
}

// Labels that name their slices need no legend, if they all find a place, on one line or
// on two. Otherwise a legend names the slices and the labels keep only their figures:
// the legend stands beside the pie or below it, wherever labels, pie and names fare best.
void FitPieAndLegend(QChart &chart, QPieSeries &pie, int labels, bool legend)
{
    QLegend &key = *chart.legend();
    const QList<QLegendMarker *> markers = key.markers(&pie);
    for (QLegendMarker *marker : markers) {
        if (auto *pieMarker = qobject_cast<QPieLegendMarker *>(marker))
            pieMarker->setLabel(SliceName(*pieMarker->slice()));
    }
    if (!legend || ShowsName(labels)) {
        key.setVisible(false);
        LayOut(chart);
        QStringList texts = PieTexts(pie, labels);
        TPieLayout layout = FitPie(pie, texts, chart.plotArea(), labels != LabelsNone);
        if (!layout.Complete && ShowsName(labels)) {
            QStringList twoLineTexts = PieTexts(pie, labels, true);
            const TPieLayout twoLines = FitPie(pie, twoLineTexts, chart.plotArea(), true);
            if (twoLines.Complete || twoLines.ShownValue > layout.ShownValue) {
                layout = twoLines;
                texts = std::move(twoLineTexts);
            }
        }
        if (!legend || layout.Complete) {
            MarkPie(pie, texts);
            ApplyPie(pie, layout);
            return;
        }
        labels = FiguresOnly(labels);
    }
    const QStringList texts = PieTexts(pie, labels);
    MarkPie(pie, texts);
    const bool labelled = labels != LabelsNone;
    key.setVisible(true);
    const TLegendPlace right = TryLegend(chart, pie, texts, labelled, Qt::AlignRight);
    const TLegendPlace bottom = TryLegend(chart, pie, texts, labelled, Qt::AlignBottom);
    const bool rightFirst = Better(right, bottom, pie.sum());
    // Names that can be read beat a fuller pie.
    const TLegendPlace &best = rightFirst ? (right.NamesReadable || !bottom.NamesReadable ? right : bottom)
                                          : (bottom.NamesReadable || !right.NamesReadable ? bottom : right);
    if (best.Alignment != bottom.Alignment) {
        key.setAlignment(best.Alignment);
        LayOut(chart);
    }
    ApplyPie(pie, best.Pie);
}

// Value labels of points and bars, in the form Qt Charts gives them.
QString ValueText(const QChart &chart, double value, int precision = 6)
{
    return chart.locale().toString(value, 'g', precision);
}

// The chart's first axis of a kind: the value axis or the axis of names.
template <typename TAxis>
TAxis *FirstAxis(const QChart &chart)
{
    const QList<QAbstractAxis *> axes = chart.axes();
    for (QAbstractAxis *axis : axes) {
        if (auto *found = qobject_cast<TAxis *>(axis))
            return found;
    }
    return nullptr;
}

// The chart's content height, which Qt shares out between plot and axes: less the
// layout's and the chart's margins and the title.
qreal ContentHeight(QChart &chart)
{
    qreal left = 0.0, top = 0.0, right = 0.0, bottom = 0.0;
    if (chart.layout())
        chart.layout()->getContentsMargins(&left, &top, &right, &bottom);
    const qreal title = chart.title().isEmpty() ? 0.0 : TextSize(chart.titleFont(), chart.title()).height();
    return chart.rect().height() - top - bottom - chart.margins().top() - chart.margins().bottom() - title;
}

// Names along the bottom turn upright when they do not fit side by side, in a smaller
// font where the longest would be cut short (Qt gives the axis at most a share of the
// chart's height); names that would not even fit upright, or beside horizontal bars one
// above the other, are left out rather than shown as a row of dots.
void FitCategories(QChart &chart, QBarCategoryAxis &categories)
{
    if (categories.count() == 0)
        return;
    if (!categories.property(BaseFontProperty).isValid())
        categories.setProperty(BaseFontProperty, categories.labelsFont());
    QFont font = categories.property(BaseFontProperty).value<QFont>();
    const QFontMetricsF metrics(font);
    const QRectF plot = chart.plotArea();
    const bool bottom = categories.alignment() == Qt::AlignBottom;
    // Qt gives each name the plot's length over one more than their number, less padding.
    const qreal slot = (bottom ? plot.width() : plot.height()) / (categories.count() + 1) - 2 * AxisLabelPadding;
    qreal widest = 0.0;
    const QStringList names = categories.categories();
    for (const QString &name : names)
        widest = qMax(widest, metrics.horizontalAdvance(name));
    const bool upright = bottom && widest + 2 * LabelSpacing > slot;
    if (upright) {
        const qreal room = MaxAxisShare * ContentHeight(chart) - AxisChrome;
        if (widest > room && room > 0.0) {
            const qreal scale = qMax(SmallestFontScale, room / widest);
            if (font.pixelSize() > 0)
                font.setPixelSize(qMax(1, int(font.pixelSize() * scale)));
            else
                font.setPointSizeF(font.pointSizeF() * scale);
        }
    }
    categories.setLabelsFont(font);
    categories.setLabelsAngle(upright ? UprightAngle : 0);
    categories.setLabelsVisible(metrics.height() <= slot);
}

// Raises the top of the value axis so that the highest value's label stands inside the
// plot: `room` pixels of the plot's `length` are kept free above the largest value.
void MakeRoom(QValueAxis &values, qreal top, qreal room, qreal length)
{
    qreal upper = top > 0.0 ? top : 1.0;
    if (room > 0.0 && length > 2.0 * room)
        upper = upper * length / (length - room);
    values.setRange(0.0, upper);
    values.applyNiceNumbers();
    values.setLabelFormat(values.max() >= 10.0 ? QStringLiteral("%.0f") : QStringLiteral("%.1f"));
}

void FitBars(QChart &chart, QAbstractBarSeries &bars, bool shown)
{
    const QList<QBarSet *> sets = bars.barSets();
    QValueAxis *values = FirstAxis<QValueAxis>(chart);
    if (sets.isEmpty() || !values)
        return;
    QBarSet &set = *sets.first();
    // Outside the bars, labels take the axes' colour, not the one meant for inside a bar.
    set.setLabelColor(values->labelsColor());
    double top = 0.0;
    for (int i = 0; i < set.count(); ++i)
        top = qMax(top, set.at(i));
    // One decimal on the largest bar, as many significant digits on the others.
    const int precision = top >= 1.0 ? int(std::floor(std::log10(top))) + 2 : 2;
    bars.setLabelsFormat(QStringLiteral("@value"));
    bars.setLabelsPrecision(precision);
    bars.setLabelsPosition(QAbstractBarSeries::LabelsOutsideEnd);
    const QFontMetricsF metrics(set.labelFont());
    qreal widest = 0.0;
    for (int i = 0; i < set.count(); ++i)
        widest = qMax(widest, metrics.horizontalAdvance(ValueText(chart, set.at(i), precision)));
    const qreal high = metrics.height();
    const bool horizontal = bars.type() == QAbstractSeries::SeriesTypeHorizontalBar;
    const QRectF plot = chart.plotArea();
    const qreal slot = (horizontal ? plot.height() : plot.width()) / qMax(1, set.count());
    // Beside a horizontal bar a label needs its width; above a bar its height, or its
    // width when it stands upright because the bars are narrower than the text.
    bool upright = false;
    qreal room = horizontal ? widest : high;
    bool fits = high <= slot;
    if (!horizontal && widest > slot) {
        upright = true;
        room = widest;
    }
    bars.setLabelsAngle(upright ? UprightAngle : 0);
    bars.setLabelsVisible(shown && fits);
    MakeRoom(*values, top, shown && fits ? room + ValueLabelOffset : 0.0, horizontal ? plot.width() : plot.height());
}

// Point labels stand centred above their points; a label that would cover one already
// placed is left out, the largest values placing theirs first.
void FitPoints(QChart &chart, QXYSeries &line, QAbstractSeries &series, int labels)
{
    const bool shown = labels != LabelsNone;
    const QString format = labels == LabelsXValue ? QStringLiteral("@xPoint") : QStringLiteral("@yPoint");
    QValueAxis *values = FirstAxis<QValueAxis>(chart);
    const QList<QPointF> points = line.points();
    double top = 0.0;
    for (const QPointF &point : points)
        top = qMax(top, point.y());
    auto *area = qobject_cast<QAreaSeries *>(&series);
    const QFont font = area ? area->pointLabelsFont() : line.pointLabelsFont();
    const QFontMetricsF metrics(font);
    const auto *marked = qobject_cast<QScatterSeries *>(&series);
    const qreal markerRoom = marked ? marked->markerSize() / 2.0 : 0.0;
    if (values)
        MakeRoom(*values, top, shown ? metrics.height() + ValueLabelOffset + markerRoom : 0.0,
                 chart.plotArea().height());

    QList<int> order(points.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return points[a].y() > points[b].y(); });
    QList<QRectF> placed;
    QList<bool> visible(points.size(), false);
    // Unclipped labels may stand above the plot's top edge, into the room made there, and
    // beside it, clear of the value axis' own labels.
    const QRectF plot = chart.plotArea();
    const QRectF room(chart.rect().left(), plot.top() - metrics.height(), chart.rect().width(),
                      plot.height() + metrics.height());
    // Qt puts a label's baseline this far above its point: past the marker or the line.
    const auto *scatter = qobject_cast<QScatterSeries *>(&series);
    const qreal pen = (area ? area->pen() : line.pen()).widthF();
    const qreal baseline = (scatter ? scatter->markerSize() / 2.0 + pen : pen / 2.0) + LabelSpacing;
    QList<QRectF> obstacles;
    if (values && values->tickCount() > 1) {
        const QFontMetricsF axisMetrics(values->labelsFont());
        for (int k = 0; k < values->tickCount(); ++k) {
            const qreal y = plot.bottom() - k * plot.height() / (values->tickCount() - 1);
            obstacles.append(QRectF(chart.rect().left(), y - axisMetrics.height() / 2.0, plot.left() - chart.rect().left(),
                                    axisMetrics.height()));
        }
    }
    // Scatter markers are drawn over labels: a label keeps clear of the other markers.
    QList<QRectF> markers;
    if (scatter) {
        const qreal half = scatter->markerSize() / 2.0;
        for (const QPointF &point : points) {
            const QPointF at = chart.mapToPosition(point, &series);
            markers.append(QRectF(at.x() - half, at.y() - half, 2 * half, 2 * half));
        }
    }
    const auto covers = [](const QList<QRectF> &rects, const QRectF &rect, int own = -1) {
        for (int j = 0; j < rects.size(); ++j) {
            if (j != own && rects[j].intersects(rect))
                return true;
        }
        return false;
    };
    for (const int i : order) {
        const QString text = labels == LabelsXValue ? ValueText(chart, points[i].x()) : ValueText(chart, points[i].y());
        const qreal width = metrics.horizontalAdvance(text);
        const QPointF at = chart.mapToPosition(points[i], &series);
        const QRectF rect(at.x() - width / 2.0, at.y() - baseline - metrics.ascent(), width, metrics.height());
        const QRectF spaced = rect.adjusted(-LabelSpacing, 0.0, LabelSpacing, 0.0);
        if (!room.contains(rect) || covers(placed, spaced) || covers(markers, rect, i) || covers(obstacles, rect))
            continue;
        placed.append(rect);
        visible[i] = true;
    }
    const bool all = std::all_of(visible.begin(), visible.end(), [](bool v) { return v; });
    if (area) {
        // An area labels all its points or none.
        area->setPointLabelsFormat(format);
        area->setPointLabelsClipping(false);
        area->setPointLabelsVisible(shown && all);
        return;
    }
    line.setPointLabelsFormat(format);
    line.setPointLabelsClipping(false);
    line.setPointLabelsVisible(shown);
    line.clearPointsConfiguration(QXYSeries::PointConfiguration::LabelVisibility);
    for (int i = 0; i < points.size(); ++i) {
        if (!visible[i])
            line.setPointConfiguration(i, QXYSeries::PointConfiguration::LabelVisibility, false);
    }
}

} // namespace

void FitChartLabels(QChart &chart, int labels, bool legend)
{
    const QList<QAbstractSeries *> all = chart.series();
    if (all.isEmpty())
        return;
    QAbstractSeries &series = *all.first();
    if (chart.locale() != QLocale())
        chart.setLocale(QLocale());
    chart.setLocalizeNumbers(true);

    if (auto *pie = qobject_cast<QPieSeries *>(&series)) {
        FitPieAndLegend(chart, *pie, labels, legend);
        return;
    }
    if (QBarCategoryAxis *categories = FirstAxis<QBarCategoryAxis>(chart)) {
        FitCategories(chart, *categories);
        LayOut(chart);
    }
    if (auto *bars = qobject_cast<QAbstractBarSeries *>(&series)) {
        FitBars(chart, *bars, labels != LabelsNone);
    } else if (auto *area = qobject_cast<QAreaSeries *>(&series)) {
        if (area->upperSeries())
            FitPoints(chart, *area->upperSeries(), series, labels);
    } else if (auto *line = qobject_cast<QXYSeries *>(&series)) {
        FitPoints(chart, *line, series, labels);
    }
}
