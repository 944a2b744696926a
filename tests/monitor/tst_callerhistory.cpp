#include <QTest>

#include <optional>

#include "tProcessState.h"
#include "tTestData.h"
#include "uParser.h"

namespace {

QString HistoryLine(const QString &prog, const QString &id, int access, int seconds = 65)
{
    return QStringLiteral("%1|%2|Jan|0|11|22|%3|0612345678|20261208 101500|1765188900|20261208 101605|%4|promo|10.0.0.1")
        .arg(prog, id)
        .arg(access)
        .arg(seconds);
}

} // namespace

class TestCallerHistory final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void readsFields();
    void mergesById();
    void raisesMarks();
    void unknownProgrammesGetNoRow();

private:
    std::optional<TProcessState> m_state;
};

void TestCallerHistory::init()
{
    m_state.emplace();
}

void TestCallerHistory::cleanup()
{
    m_state.reset();
}

void TestCallerHistory::readsFields()
{
    TCallerList list;
    ParseCallerHistory(list, {"108", HistoryLine("ABC", "120", 1, 65)});
    QCOMPARE(int(list.size()), 1);
    const TCaller &c = *list[0];
    QCOMPARE(c.ProgCode.text(), QString("AB"));
    QCOMPARE(c.Start.text(), QString("08-12-2026 10:15:00"));
    QCOMPARE(c.StartValue, 1765188900);
    QCOMPARE(c.Stop.text(), QString("08-12-2026 10:16:05"));
    QCOMPARE(c.Seconds, 65);
    QCOMPARE(c.IP.text(), QString("10.0.0.1"));
}

void TestCallerHistory::mergesById()
{
    AddTestProg("AB", "Alpha");
    TCallerList list;
    TCallerRows rows(CallerColumnCount);
    ParseCallerHistory(list, {"108", HistoryLine("AB", "120", 1, 10), "", HistoryLine("AB", "121", 1)});
    UpdateHistoryRows(list, &rows, {});
    // A known id and a new one that comes twice in the same reply.
    ParseCallerHistory(list, {"108", HistoryLine("AB", "122", 1, 5), HistoryLine("AB", "120", 1, 99),
                              HistoryLine("AB", "122", 1, 7)});
    UpdateHistoryRows(list, &rows, {});
    QCOMPARE(int(list.size()), 3);
    QCOMPARE(rows.RowCount(), 3);
    QCOMPARE(list[2]->Seconds, 7);
    QCOMPARE(list[0]->Seconds, 99);
    QCOMPARE(rows.Text(0, 1), QString("00:01:39"));
    QCOMPARE(rows.Text(0, 0), QString("Alpha: Jan"));
    QCOMPARE(rows.Record(1), list[1].get());

    // Only the echo: nothing added, rows still refreshed.
    ParseCallerHistory(list, {"108"});
    UpdateHistoryRows(list, &rows, {});
    QCOMPARE(int(list.size()), 3);
}

void TestCallerHistory::raisesMarks()
{
    TPProgItem &ab = AddTestProg("AB", "Alpha");
    TCallerList list;
    ParseCallerHistory(list, {"108", HistoryLine("AB", "120", 1), HistoryLine("AB", "340", 5),
                              HistoryLine("AB", "100", 0), HistoryLine("AB", "x9", 5)});
    UpdateHistoryRows(list, nullptr, {});
    QCOMPARE(ab.LastIdPpm, 120);
    QCOMPARE(ab.LastIdOther, 340);
}

void TestCallerHistory::unknownProgrammesGetNoRow()
{
    TPProgItem &ab = AddTestProg("AB", "Alpha");
    TCallerList list;
    TCallerRows rows(CallerColumnCount);
    // An id that is no number raises no mark.
    ParseCallerHistory(list, {"108", HistoryLine("ZZ", "500", 1), HistoryLine("AB", "7", 2), HistoryLine("AB", "x1", 1)});
    UpdateHistoryRows(list, &rows, {});
    QCOMPARE(int(list.size()), 3);
    QCOMPARE(rows.RowCount(), 2);
    QCOMPARE(list[0]->ListItem, NoListRow);
    QCOMPARE(ab.LastIdOther, 7);
    QCOMPARE(ab.LastIdPpm, 0);
}

QTEST_GUILESS_MAIN(TestCallerHistory)
#include "tst_callerhistory.moc"
