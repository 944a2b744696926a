#include "uDetails.h"

#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QRegularExpression>
#include <QSaveFile>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QtEndian>

#include "uFetcher.h"
#include "uGlobal.h"
#include "uListItems.h"
#include "uSettings.h"

namespace {

constexpr int TestCode = 99;
constexpr int PictureWidth = 300;
constexpr int PictureHeight = 48;
constexpr int BitmapHeaderBytes = 14;
constexpr int MaxPictureSide = 4096;
// Not a programme code: the next picture request tries the file again.
const QString NoPictureCode = QStringLiteral("(unkown)");

QString IdText(int id, const QString &name)
{
    QString text = QStringLiteral("#%1 ").arg(id);
    if (!name.isEmpty())
        text += name + QLatin1Char(' ');
    return text;
}

// The little-endian word at `at`; 0 where the data ends before it.
quint32 Le32(const QByteArray &data, int at)
{
    if (at < 0 || data.size() - at < qsizetype(sizeof(quint32)))
        return 0;
    return qFromLittleEndian<quint32>(data.constData() + at);
}

} // namespace

TCallerDetails::TCallerDetails(QTreeWidget *totalDetails, QWidget *parent)
    : QWidget(parent), lvTotalDetails(totalDetails)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    imgPP = new QLabel;
    imgPP->setObjectName(QStringLiteral("imgPP"));
    imgPP->setAlignment(Qt::AlignCenter);
    imgPP->setMinimumHeight(PictureHeight);
    layout->addWidget(imgPP);

    pnFields = new QWidget;
    auto *grid = new QGridLayout(pnFields);
    grid->setContentsMargins(0, 0, 0, 0);
    int row = 0;
    stId = AddField(grid, row++, QStringLiteral("Id"), "stId");
    stName = AddField(grid, row++, QStringLiteral("Loginnaam"), "stName");
    stSite = AddField(grid, row++, QStringLiteral("Site"), "stSite");
    stPromo = AddField(grid, row++, QStringLiteral("Promotor"), "stPromo");
    stAccess = AddField(grid, row++, QStringLiteral("Toegang"), "stAccess");
    stCallerid = AddField(grid, row++, QStringLiteral("Callerid"), "stCallerid");
    const int numberRow = row;
    stNumber = AddField(grid, row++, QStringLiteral("Nummer"), "stNumber");
    stStart = AddField(grid, row++, QStringLiteral("Start"), "stStart");
    stSessiontime = AddField(grid, row++, QStringLiteral("Sessietijd"), "stSessiontime");
    stInfo = AddField(grid, row++, QStringLiteral("Promo-info"), "stInfo");
    stLand = AddField(grid, row++, QStringLiteral("Land"), "stLand");
    stIP = AddField(grid, row++, QStringLiteral("IP adres"), "stIP");
    // The number row is never filled: hide it with its caption.
    stNumber->hide();
    grid->itemAtPosition(numberRow, 0)->widget()->hide();
    grid->setColumnStretch(1, 1);
    layout->addWidget(pnFields);

    if (lvTotalDetails) {
        lvTotalDetails->setParent(this);
        lvTotalDetails->hide();
        // A totals record has no caller fields: its list takes their room.
        lvTotalDetails->installEventFilter(this);
        layout->addWidget(lvTotalDetails, 1);
    }
    layout->addWidget(new QLabel, lvTotalDetails ? 0 : 1);
}

bool TCallerDetails::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == lvTotalDetails && (event->type() == QEvent::ShowToParent || event->type() == QEvent::HideToParent))
        pnFields->setVisible(event->type() == QEvent::HideToParent);
    return QWidget::eventFilter(watched, event);
}

QLabel *TCallerDetails::AddField(QGridLayout *grid, int row, const QString &caption, const char *name)
{
    grid->addWidget(new QLabel(caption), row, 0);
    auto *field = new QLabel;
    field->setObjectName(QLatin1String(name));
    field->setTextFormat(Qt::PlainText); // names from the server, never markup
    field->setTextInteractionFlags(Qt::TextSelectableByMouse);
    grid->addWidget(field, row, 1);
    return field;
}

void TCallerDetails::ShowCaller(TCaller *caller)
{
    if (lvTotalDetails)
        lvTotalDetails->hide();
    m_selected = caller;
    ++m_serial;
    if (!caller) {
        SetPicture(QImage());
        PictureCode.clear();
        PictureAge = 0;
        // The IP field too: a cleared panel shows nothing of the last caller.
        for (QLabel *field : {stId, stName, stLand, stSite, stPromo, stAccess, stCallerid, stInfo, stStart,
                              stSessiontime, stIP})
            field->clear();
        return;
    }
    stId->setText(caller->Id);
    FillCallerDetails();
}

void TCallerDetails::FillCallerDetails()
{
    TCaller *caller = m_selected;
    if (!caller || (TotalsActive && TotalsActive()))
        return;
    // The age of a picture already shown is kept, so the service is not asked to send
    // it again for the next caller of the same programme.
    if (PictureCode != caller->ProgCode.text())
        PictureAge = LoadProgPicture(caller->ProgCode);

    stName->setText(caller->Name + QLatin1Char(' '));
    if (caller->Country == TestCode)
        stLand->setText(QStringLiteral("TEST "));
    else if (CountryName(caller->Country).isEmpty())
        stLand->setText(QStringLiteral("? "));
    else
        stLand->setText(CountryName(caller->Country) + QStringLiteral("  "));
    QString access = AccessTypeName(caller->Access) + QLatin1Char(' ');
    if (caller->Access == TestCode)
        access = QStringLiteral("TEST ");
    else if (AccessTypeName(caller->Access).isEmpty())
        access = QStringLiteral("? ");
    stAccess->setText(access + QLatin1Char(' '));
    stIP->setText(caller->IP + QLatin1Char(' '));
    stCallerid->setText(caller->CallerId + QLatin1Char(' '));
    stInfo->setText(caller->Info + QLatin1Char(' '));
    stStart->setText(caller->Start + QLatin1Char(' '));
    stSessiontime->setText(FormatDuration(caller->Seconds) + QLatin1Char(' '));

    if (!caller->SiteName.isEmpty() && !caller->PromoterName.isEmpty()) {
        ShowNames();
        return;
    }
    stSite->setText(IdText(caller->SiteId, QString()));
    stPromo->setText(IdText(caller->PromoterId, QString()));
    // Every poll refreshes the caller: one request at a time is enough.
    TFetcher *connector = Connector();
    if (m_pendingSerial == m_serial || !connector)
        return;
    if (InfoLabel)
        InfoLabel->setText(QStringLiteral("Informatie ophalen..."));
    m_pendingSerial = m_serial;
    const int serial = m_serial;
    const QString code = caller->ProgCode;
    QPointer<TCallerDetails> self(this);
    connector->RequestDetails(
        code, caller->SiteId,
        [self, serial, code](const TFetchReply &reply) {
            if (self)
                self->OnDetailsFetched(reply, serial, code);
        },
        caller->PromoterId, PictureAge > 0 ? PictureAge : 0);
}

void TCallerDetails::ShowNames()
{
    stSite->setText(IdText(m_selected->SiteId, m_selected->SiteName));
    stPromo->setText(IdText(m_selected->PromoterId, m_selected->PromoterName));
}

void TCallerDetails::OnDetailsFetched(const TFetchReply &reply, int serial, const QString &code)
{
    if (m_pendingSerial == serial)
        m_pendingSerial = -1;
    // A reply for a caller no longer shown must not name the one shown now.
    const bool shown = serial == m_serial && m_selected;
    const QStringList &lines = reply.ReplyLines;
    if (reply.ReplyOk() && shown && lines.size() >= 3 && m_selected->SiteId >= 1) {
        m_selected->SiteName = lines[1];
        m_selected->PromoterName = lines[2];
        ShowNames();
    }
    if (reply.ReplyOk())
        TakePicture(reply.ReplyStream, code, shown);
    if (InfoLabel)
        InfoLabel->clear();
}

void TCallerDetails::TakePicture(const QByteArray &raw, const QString &code, bool shown)
{
    const qsizetype zero = raw.indexOf('\0');
    const qsizetype at = QByteArrayView(raw.constData(), zero < 0 ? raw.size() : zero).indexOf("BM>");
    if (at < 0)
        return;
    const QByteArray bitmap = CheckedBitmap(raw.mid(at));
    QImage image;
    if (bitmap.isEmpty() || !image.loadFromData(bitmap, "BMP")) {
        if (shown)
            DrawDefaultPicture(m_selected->ProgCode);
        return;
    }
    const QString file = PictureFile(code);
    qint64 age = 0;
    if (!file.isEmpty() && QDir().mkpath(QFileInfo(file).path())) {
        QSaveFile out(file);
        if (out.open(QIODevice::WriteOnly) && out.write(bitmap) == bitmap.size() && out.commit())
            age = QFileInfo(file).lastModified().toSecsSinceEpoch();
    }
    if (shown && m_selected->ProgCode == code) {
        SetPicture(image);
        PictureCode = code;
        PictureAge = age;
    }
}

qint64 TCallerDetails::LoadProgPicture(const QString &code)
{
    const QString file = PictureFile(code);
    const QFileInfo info(file);
    QImage image;
    if (!file.isEmpty() && info.isFile() && info.size() <= MaxPictureBytes && image.load(file, "BMP")) {
        SetPicture(image);
        PictureCode = code;
        return info.lastModified().toSecsSinceEpoch();
    }
    DrawDefaultPicture(code);
    return 0;
}

void TCallerDetails::DrawDefaultPicture(QString code)
{
    if (code.isEmpty() && m_selected)
        code = m_selected->ProgCode;
    QImage image;
    const QFileInfo fallback(ProgramDir + QStringLiteral("Bitmaps/bv.bmp"));
    if (m_selected && fallback.isFile() && fallback.size() <= MaxPictureBytes)
        image.load(fallback.filePath(), "BMP");
    if (image.isNull()) {
        image = QImage(PictureWidth, PictureHeight, QImage::Format_RGB32);
        image.fill(palette().color(QPalette::Window));
    } else {
        image = image.convertToFormat(QImage::Format_RGB32);
    }
    QPainter painter(&image);
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(20);
    painter.setFont(font);
    painter.drawText(QRect(158, 0, PictureWidth - 158, PictureHeight), Qt::AlignCenter, ProgName(code));
    painter.end();
    SetPicture(image);
    PictureCode = NoPictureCode;
}

void TCallerDetails::SetPicture(const QImage &image)
{
    m_picture = image;
    imgPP->setPixmap(image.isNull() ? QPixmap() : QPixmap::fromImage(image));
}

QString TCallerDetails::SafeCode(const QString &code)
{
    static const QRegularExpression safe(QStringLiteral("^[A-Za-z0-9_-]{1,16}$"));
    return safe.match(code).hasMatch() ? code : QString();
}

QString TCallerDetails::PictureFile(const QString &code)
{
    const QString safe = SafeCode(code);
    return safe.isEmpty() ? QString() : ProgramDir + QStringLiteral("Bitmaps/") + safe + QStringLiteral(".bmp");
}

QByteArray TCallerDetails::CheckedBitmap(const QByteArray &data)
{
    constexpr int InfoHeaderMin = 12;
    if (data.size() < BitmapHeaderBytes + InfoHeaderMin || !data.startsWith("BM"))
        return {};
    const quint32 fileSize = Le32(data, 2);
    const quint32 pixelsAt = Le32(data, 10);
    const quint32 infoSize = Le32(data, BitmapHeaderBytes);
    if (fileSize > quint64(data.size()) || fileSize > MaxPictureBytes || infoSize < InfoHeaderMin
        || BitmapHeaderBytes + quint64(infoSize) > fileSize || pixelsAt < BitmapHeaderBytes + infoSize
        || pixelsAt >= fileSize)
        return {};
    if (infoSize >= 40) {
        const qint32 width = qint32(Le32(data, 18));
        const qint32 height = qint32(Le32(data, 22));
        if (width <= 0 || width > MaxPictureSide || height == 0 || height < -MaxPictureSide
            || height > MaxPictureSide)
            return {};
    }
    return data.left(fileSize);
}
