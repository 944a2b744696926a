#include "uChartLabels.h"

#include <QAbstractBarSeries>
#include <QAreaSeries>
#include <QBarCategoryAxis>
#include <QBarSet>
#include <QChart>
#include <QFontMetricsF>
#include <QGraphicsLayout>
#include <QGraphicsTextItem>
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
// Names shrink at most to this share of their font to fit.
constexpr qreal SmallestFontScale = 0.7;
// An axis' own font, before a fit made it smaller, and its names before any was shortened.
constexpr char BaseFontProperty[] = "bvBaseFont";
constexpr char NamesProperty[] = "bvNames";
constexpr qreal FontScaleStep = 0.05;
// Room between two upright or stacked names.
constexpr qreal NameGap = 1.0;
// Marks the chart's own value labels among its child items; they stand above the series.
constexpr int ValueLabelKey = 0;
constexpr qreal ValueLabelZ = 10.0;

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

// The same across: what Qt shares out between the plot and the axes beside it.
qreal ContentWidth(QChart &chart)
{
    qreal left = 0.0, top = 0.0, right = 0.0, bottom = 0.0;
    if (chart.layout())
        chart.layout()->getContentsMargins(&left, &top, &right, &bottom);
    return chart.rect().width() - left - right - chart.margins().left() - chart.margins().right();
}

// A category as the monitor named it: escaped for the chart's markup, with invisible
// marks that keep repeated names apart.
QString PlainName(QString name)
{
    name.remove(QChar(0x200B));
    name.replace(QStringLiteral("&lt;"), QStringLiteral("<"));
    name.replace(QStringLiteral("&gt;"), QStringLiteral(">"));
    name.replace(QStringLiteral("&quot;"), QStringLiteral("\""));
    name.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
    return name;
}

// `base` at `scale` of its size.
QFont Scaled(QFont base, qreal scale)
{
    if (base.pixelSize() > 0)
        base.setPixelSize(qMax(1, int(base.pixelSize() * scale)));
    else
        base.setPointSizeF(base.pointSizeF() * scale);
    return base;
}

// Every category keeps its name. Along the bottom names stand side by side, or upright
// where they do not fit, in a smaller font where they stand too close; beside horizontal
// bars they stand one above the other, smaller where they crowd. A name longer than the
// room Qt gives the axis (a share of the chart's height, or of its width beside
// horizontal bars) is shortened with "…". Upright, Qt's own shortening is off: it
// measures an upright name against the room for a flat one and leaves only dots. Only in
// a chart too small for the smallest font are the names left out.
void FitCategories(QChart &chart, QBarCategoryAxis &categories)
{
    if (categories.count() == 0)
        return;
    if (!categories.property(BaseFontProperty).isValid())
        categories.setProperty(BaseFontProperty, categories.labelsFont());
    if (!categories.property(NamesProperty).isValid())
        categories.setProperty(NamesProperty, categories.categories());
    const QStringList names = categories.property(NamesProperty).toStringList();
    const QFont base = categories.property(BaseFontProperty).value<QFont>();
    const QRectF plot = chart.plotArea();
    const bool bottom = categories.alignment() == Qt::AlignBottom;
    // Qt gives a flat name the plot's length over one more than their number, less padding;
    // upright or stacked names stand a category's length apart, and Qt hides one at the
    // plot's edge that is thicker than that.
    const qreal length = bottom ? plot.width() : plot.height();
    const qreal slot = length / (names.size() + 1) - 2 * AxisLabelPadding;
    const qreal spacing = length / names.size();
    qreal widest = 0.0;
    for (const QString &name : names)
        widest = qMax(widest, QFontMetricsF(base).horizontalAdvance(PlainName(name)));
    const bool upright = bottom && widest + 2 * LabelSpacing > slot;
    const auto thin = [spacing](const QFont &font) {
        return TextSize(font, QStringLiteral("0")).height() + NameGap <= spacing;
    };
    QFont font = base;
    bool fits = bottom && !upright ? true : thin(base);
    for (qreal scale = 1.0 - FontScaleStep; !fits && scale >= SmallestFontScale - 0.001; scale -= FontScaleStep) {
        font = Scaled(base, scale);
        fits = thin(font);
    }
    const qreal room = bottom ? (upright ? MaxAxisShare * ContentHeight(chart) - AxisChrome : slot)
                              : MaxAxisShare * ContentWidth(chart) - AxisChrome;
    QStringList shown;
    const QFontMetricsF metrics(font);
    for (const QString &name : names) {
        QString text = name;
        const QString plain = PlainName(name);
        if (metrics.horizontalAdvance(plain) > room) {
            text = metrics.elidedText(plain, Qt::ElideRight, qMax(room, 0.0)).toHtmlEscaped();
            while (shown.contains(text) || (text != name && names.contains(text)))
                text += QChar(0x200B);
        }
        shown.append(text);
    }
    if (categories.categories() != shown) {
        categories.clear();
        categories.append(shown);
    }
    categories.setTruncateLabels(bottom && !upright);
    categories.setLabelsFont(font);
    categories.setLabelsAngle(upright ? UprightAngle : 0);
    categories.setLabelsVisible(fits);
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

// One value of a bar, line or point chart and the name of its category.
struct TChartValue
{
    double Value = 0.0;
    QString Name;
};

// The text a label style gives a value along axes: whole numbers and percentages in the
// user's form. `named` false leaves the name to the axis.
QString AxisValueText(int labels, const TChartValue &value, double total, int index, bool named)
{
    const QLocale locale;
    const QString whole = locale.toString(qRound64(value.Value));
    const QString percent =
        locale.toString(total > 0.0 ? qRound64(value.Value * 100.0 / total) : qint64(0)) + QStringLiteral(" %");
    const QString ofTotal = percent + QStringLiteral(" van ") + locale.toString(qRound64(total));
    const auto withName = [&](const QString &figure) {
        return named ? value.Name + QLatin1Char(' ') + figure : figure;
    };
    switch (labels) {
    case LabelsNone:
        return {};
    case LabelsValue:
        return whole;
    case LabelsPercent:
        return percent;
    case LabelsNamePercent:
        return withName(percent);
    case LabelsNameValue:
        return withName(whole);
    case LabelsPercentTotal:
        return ofTotal;
    case LabelsNamePercentTotal:
        return withName(ofTotal);
    case LabelsXValue:
        return QString::number(index);
    default: // name, legend text
        return named ? value.Name : QString();
    }
}

void RemoveValueLabels(QChart &chart)
{
    const QList<QGraphicsItem *> children = chart.childItems();
    for (QGraphicsItem *child : children) {
        if (child->data(ValueLabelKey).toBool())
            delete child;
    }
}

// Qt's own point and bar labels can show the bare value only: these are the chart's.
void AddValueLabel(QChart &chart, const QString &text, const QFont &font, const QColor &colour, const QRectF &rect,
                   bool upright)
{
    auto *item = new QGraphicsTextItem(&chart);
    item->document()->setDocumentMargin(0.0);
    item->setFont(font);
    item->setDefaultTextColor(colour);
    item->setPlainText(text);
    item->setData(ValueLabelKey, true);
    item->setZValue(ValueLabelZ);
    if (upright) {
        // Turned about its top-left corner, the text then runs upwards from the bottom.
        item->setRotation(UprightAngle);
        item->setPos(rect.left(), rect.bottom());
    } else {
        item->setPos(rect.topLeft());
    }
}

// The values' labels: on the end of a bar or above a point, flat or, above bars
// narrower than the text, upright; the largest values choose first, and a label that
// would cover another text or a marker, or leave the chart, is left out. Labels that name
// their values do so where every label finds a place; otherwise they show the figures
// and the axis names the values. The value axis reaches high enough for the labels.
void PlaceValueLabels(QChart &chart, QAbstractSeries &series, const QList<TChartValue> &values, int labels,
                      bool horizontal, bool bars, qreal markerSize)
{
    RemoveValueLabels(chart);
    QValueAxis *axis = FirstAxis<QValueAxis>(chart);
    double total = 0.0, top = 0.0;
    for (const TChartValue &value : values) {
        total += value.Value;
        top = qMax(top, value.Value);
    }
    if (labels == LabelsNone || values.isEmpty()) {
        if (axis)
            MakeRoom(*axis, top, 0.0, 0.0);
        return;
    }
    const QFont font = axis ? axis->labelsFont() : chart.font();
    const QColor colour = axis ? axis->labelsColor() : QColor(Qt::black);
    const QFontMetricsF metrics(font);
    QList<int> order(values.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return values[a].Value > values[b].Value; });
    const auto at = [&](int i) {
        return chart.mapToPosition(horizontal ? QPointF(values[i].Value, i) : QPointF(i, values[i].Value), &series);
    };
    const qreal gap = ValueLabelOffset + markerSize / 2.0;
    const QList<bool> tries = ShowsName(labels) ? QList<bool>{true, false} : QList<bool>{false};
    for (const bool named : tries) {
        QStringList texts;
        qreal widest = 0.0;
        for (int i = 0; i < values.size(); ++i) {
            texts.append(AxisValueText(labels, values[i], total, i, named));
            widest = qMax(widest, metrics.horizontalAdvance(texts.last()));
        }
        QRectF plot = chart.plotArea();
        const qreal spacing = (horizontal ? plot.height() : plot.width()) / values.size();
        const bool upright = bars && !horizontal && widest + 2 * LabelSpacing > spacing;
        if (axis) {
            const qreal room = horizontal || upright ? widest : metrics.height();
            MakeRoom(*axis, top, room + gap, horizontal ? plot.width() : plot.height());
            LayOut(chart);
            plot = chart.plotArea();
        }
        // Texts already there: the value axis' labels beside the plot.
        QList<QRectF> placed;
        if (axis && axis->tickCount() > 1 && !horizontal) {
            const QFontMetricsF axisMetrics(axis->labelsFont());
            for (int k = 0; k < axis->tickCount(); ++k) {
                const qreal y = plot.bottom() - k * plot.height() / (axis->tickCount() - 1);
                placed.append(QRectF(chart.rect().left(), y - axisMetrics.height() / 2.0,
                                     plot.left() - AxisLabelPadding - chart.rect().left(), axisMetrics.height()));
            }
        }
        // Markers are drawn over labels: a label keeps clear of the other markers.
        QList<QRectF> markers;
        for (int i = 0; markerSize > 0.0 && i < values.size(); ++i)
            markers.append(QRectF(at(i) - QPointF(markerSize, markerSize) / 2.0, QSizeF(markerSize, markerSize)));
        QList<std::pair<int, QRectF>> shown;
        int wanted = 0;
        for (const int i : order) {
            if (texts[i].isEmpty())
                continue;
            ++wanted;
            const QPointF end = at(i);
            const qreal width = metrics.horizontalAdvance(texts[i]);
            const qreal height = metrics.height();
            const QRectF rect = horizontal ? QRectF(end.x() + gap, end.y() - height / 2.0, width, height)
                : upright                  ? QRectF(end.x() - height / 2.0, end.y() - gap - width, height, width)
                                           : QRectF(end.x() - width / 2.0, end.y() - gap - height, width, height);
            const QRectF spaced = rect.adjusted(-LabelSpacing, -LabelSpacing, LabelSpacing, LabelSpacing);
            bool free = chart.rect().contains(rect)
                && std::none_of(placed.begin(), placed.end(), [&](const QRectF &r) { return r.intersects(spaced); });
            for (int m = 0; free && m < markers.size(); ++m)
                free = m == i || !markers[m].intersects(rect);
            if (!free)
                continue;
            placed.append(rect);
            shown.append({i, rect});
        }
        if (named && shown.size() < wanted)
            continue;
        for (const auto &[index, rect] : shown)
            AddValueLabel(chart, texts[index], font, colour, rect, upright);
        return;
    }
}

// The values of the chart's one bar set, line or point series, by category.
QList<TChartValue> ChartValues(const QChart &chart, QAbstractSeries &series)
{
    QStringList names;
    if (const QBarCategoryAxis *categories = FirstAxis<QBarCategoryAxis>(chart))
        names = categories->property(NamesProperty).toStringList();
    QList<TChartValue> values;
    if (auto *bars = qobject_cast<QAbstractBarSeries *>(&series)) {
        const QList<QBarSet *> sets = bars->barSets();
        if (sets.isEmpty())
            return values;
        for (int i = 0; i < sets.first()->count(); ++i)
            values.append({sets.first()->at(i), PlainName(names.value(i))});
        return values;
    }
    auto *area = qobject_cast<QAreaSeries *>(&series);
    const QXYSeries *line = area ? area->upperSeries() : qobject_cast<QXYSeries *>(&series);
    if (!line)
        return values;
    const QList<QPointF> points = line->points();
    for (int i = 0; i < points.size(); ++i)
        values.append({points[i].y(), PlainName(names.value(i))});
    return values;
}

void FitAxisLabels(QChart &chart, QAbstractSeries &series, int labels)
{
    auto *bars = qobject_cast<QAbstractBarSeries *>(&series);
    if (bars) {
        bars->setLabelsVisible(false);
    } else if (auto *area = qobject_cast<QAreaSeries *>(&series)) {
        area->setPointLabelsVisible(false);
    } else if (auto *line = qobject_cast<QXYSeries *>(&series)) {
        line->setPointLabelsVisible(false);
    }
    const auto *scatter = qobject_cast<QScatterSeries *>(&series);
    PlaceValueLabels(chart, series, ChartValues(chart, series), labels,
                     series.type() == QAbstractSeries::SeriesTypeHorizontalBar, bars != nullptr,
                     scatter ? scatter->markerSize() : 0.0);
}

} // namespace

void FitChartLabels(QChart &chart, int labels, bool legend)
{
    const QList<QAbstractSeries *> all = chart.series();
    if (all.isEmpty()) {
        RemoveValueLabels(chart);
        return;
    }
    QAbstractSeries &series = *all.first();
    if (chart.locale() != QLocale())
        chart.setLocale(QLocale());
    chart.setLocalizeNumbers(true);

    if (auto *pie = qobject_cast<QPieSeries *>(&series)) {
        RemoveValueLabels(chart);
        FitPieAndLegend(chart, *pie, labels, legend);
        return;
    }
    QBarCategoryAxis *categories = FirstAxis<QBarCategoryAxis>(chart);
    if (categories) {
        FitCategories(chart, *categories);
        LayOut(chart);
    }
    FitAxisLabels(chart, series, labels);
    // Room made above the values widens the value axis' labels, and so narrows the plot
    // the names were fitted to: once more, then the values' labels to the final plot.
    if (categories) {
        const QRectF plot = chart.plotArea();
        FitCategories(chart, *categories);
        LayOut(chart);
        if (chart.plotArea() != plot)
            FitAxisLabels(chart, series, labels);
    }
}
