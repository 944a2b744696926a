#pragma once

#include <QDate>
#include <QList>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <optional>
#include <vector>

#include "uExport.h"
#include "uMonthStore.h"

class QComboBox;
class QLabel;

// One bar per day of the overview: weekends in their own colour, today in another, a day
// without a file as a gap and a damaged file marked. Its owner gives it the values.
class TOverviewBars final : public QWidget
{
    Q_OBJECT
public:
    struct TBar
    {
        QDate Date;
        std::optional<double> Value;
        bool Damaged = false;
        bool Today = false;
    };
    static inline const QColor WeekdayColor{1, 0, 224};
    static inline const QColor WeekendColor{224, 120, 0};
    static inline const QColor TodayColor{0, 150, 60};

    explicit TOverviewBars(QWidget *parent = nullptr);
    // `valueText` writes a value as the figure is shown ("512 bellers").
    void SetBars(std::vector<TBar> bars, std::function<QString(double)> valueText);
    const std::vector<TBar> &Bars() const { return m_bars; }
    // The bar under a column of the widget, or -1.
    int BarAt(int x) const;
    QRect BarRect(int index) const;

protected:
    void paintEvent(QPaintEvent *event) override;
    bool event(QEvent *event) override;

private:
    QRect PlotRect() const;
    double ScaleTop() const;

    std::vector<TBar> m_bars;
    std::function<QString(double)> m_valueText;
};

// The "Overzicht" page: the last 31 days from the day files, one bar per day of the
// chosen figure, today's bar growing with every poll, and beside it this week, this
// month, last month against the period before, the best day and where the month is
// heading. The main window owns it and gives it today's newest sample.
class TOverviewPage final : public QWidget
{
    Q_OBJECT
public:
    // `programDir` ends in a separator; the day files lie in its "History/".
    explicit TOverviewPage(const QString &programDir, QWidget *parent = nullptr);

    // Rereads the day files (only their ends) and shows them with today's newest sample.
    void Reload(const QDate &today, const std::optional<THistorySample> &live);
    // Today's newest sample; a new date rereads the files first.
    void SetLive(const QDate &today, const std::optional<THistorySample> &live);
    void SetFigure(TDayFigure figure);
    TDayFigure Figure() const { return m_figure; }

    // One row per day shown: date, weekday, callers, minutes, euros and a note.
    Export::TTable ExportRows() const;

    const TMonthStore &Store() const { return m_store; }
    TOverviewBars &Bars() const { return *pbDays; }
    QLabel *Label(int index) const { return m_lines.value(index); }
    QString ValueText(double value) const;

Q_SIGNALS:
    void ExportRequested();

private:
    void ShowFigures();
    QString ChangeText(const std::optional<int> &percent, const QString &against) const;
    QString SumText(const QString &title, qint64 value, int missing) const;

    TMonthStore m_store;
    QDate m_today;
    TDayFigure m_figure = TDayFigure::Callers;
    QComboBox *cbxFigure = nullptr;
    TOverviewBars *pbDays = nullptr;
    QList<QLabel *> m_lines;
};
