#include "bFloor.h"

#include <QChart>
#include <QChartView>
#include <QHBoxLayout>
#include <QPieSeries>
#include <QPieSlice>
#include <QTime>
#include <QTreeWidget>

namespace {

constexpr int SecondsPerPoll = 5;

QString Duration(int seconds)
{
    return QTime(0, 0).addSecs(seconds).toString(QStringLiteral("hh:mm:ss"));
}

} // namespace

TFloorWindow::TFloorWindow(QWidget *parent)
    : QWidget(parent)
    , m_list(new QTreeWidget)
    , m_chart(new QChartView)
    , m_pie(new QPieSeries)
{
    setWindowTitle(QStringLiteral("bvfloor"));
    resize(864, 520);
    auto *layout = new QHBoxLayout(this);
    layout->addWidget(m_list, 1);
    layout->addWidget(m_chart, 1);
    m_list->setHeaderLabels({QStringLiteral("Naam"), QStringLiteral("Tijd"), QStringLiteral("Nummer"),
                             QStringLiteral("Start"), QStringLiteral("Info")});
    for (int i = 0; i < RowCount; ++i) {
        new QTreeWidgetItem(m_list, {QStringLiteral("Programma %1: Beller %2").arg(i % SliceCount).arg(i),
                                     Duration(i), QStringLiteral("06%1").arg(10000000 + i),
                                     QStringLiteral("08-12-2026 10:15:00"), QStringLiteral("promo")});
    }
    for (int i = 0; i < SliceCount; ++i)
        m_pie->append(QStringLiteral("Programma %1").arg(i), 1.0 + i);
    m_pie->setLabelsVisible(true);
    m_chart->chart()->addSeries(m_pie);
    m_chart->chart()->setTitle(QStringLiteral("Minuten per programma"));
    m_chart->setRenderHint(QPainter::Antialiasing);
}

void TFloorWindow::Refresh(int poll)
{
    for (int i = 0; i < RowCount; ++i)
        m_list->topLevelItem(i)->setText(1, Duration(i + poll * SecondsPerPoll));
    const QList<QPieSlice *> slices = m_pie->slices();
    for (int i = 0; i < slices.size(); ++i)
        slices[i]->setValue(1.0 + i + poll * (i % 3));
}
