#pragma once

#include <QImage>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>

class QLabel;
class QTreeWidget;
struct TFetchReply;
struct TCaller;

// The "&Details" page of the main window's info panel: every field of one caller, the
// site and promoter names fetched once per caller (command 102) and the programme
// picture, cached as a file per programme in the "Bitmaps" folder. It hosts the totals
// detail list it is given. It points at the caller it shows and never owns it: the
// owner of the caller clears the panel before releasing it.
class TCallerDetails final : public QWidget
{
    Q_OBJECT
public:
    // The picture a reply may carry is refused beyond this many bytes.
    static constexpr qint64 MaxPictureBytes = 4 * 1024 * 1024;

    explicit TCallerDetails(QTreeWidget *totalDetails, QWidget *parent = nullptr);

    TCaller *SelectedCaller() const { return m_selected; }
    void ShowCaller(TCaller *caller);
    void FillCallerDetails();
    qint64 LoadProgPicture(const QString &code);
    void DrawDefaultPicture(QString code);
    void OnDetailsFetched(const TFetchReply &reply, int serial, const QString &code);

    const QImage &Picture() const { return m_picture; }
    QString PictureCode;
    qint64 PictureAge = 0; // Unix seconds of the cached file, 0 when none

    // True while the totals page shows: the fields are then left alone.
    std::function<bool()> TotalsActive;
    QPointer<QLabel> InfoLabel;

    // A programme code that is safe as a file name, or empty.
    static QString SafeCode(const QString &code);
    // The bitmap at the start of `data` when its header and sizes hold, else empty.
    static QByteArray CheckedBitmap(const QByteArray &data);
    static QString PictureFile(const QString &code);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void SetPicture(const QImage &image);
    void ShowNames();
    void TakePicture(const QByteArray &raw, const QString &code, bool shown);
    QLabel *AddField(class QGridLayout *grid, int row, const QString &caption, const char *name);

    TCaller *m_selected = nullptr;
    // Counts the callers shown, so a late reply for an earlier one is recognised.
    int m_serial = 0;
    int m_pendingSerial = -1;
    QImage m_picture;
    QTreeWidget *lvTotalDetails;
    QLabel *imgPP = nullptr;
    QWidget *pnFields = nullptr;
    QLabel *stId = nullptr;
    QLabel *stName = nullptr;
    QLabel *stSite = nullptr;
    QLabel *stPromo = nullptr;
    QLabel *stAccess = nullptr;
    QLabel *stCallerid = nullptr;
    QLabel *stNumber = nullptr;
    QLabel *stStart = nullptr;
    QLabel *stSessiontime = nullptr;
    QLabel *stInfo = nullptr;
    QLabel *stLand = nullptr;
    QLabel *stIP = nullptr;
};
