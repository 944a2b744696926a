#include "uSimTables.h"

#include <array>

namespace SimTables {

namespace {

QString Utf8(const char *text)
{
    return QString::fromUtf8(text);
}

constexpr std::array<int, 18> Countries = {
    // NL, BE, UK, DE, AT, CH, ES, IT, FR, US, LU, DK, SE, AU, NZ, CA, GR, IE
    520, 250, 25, 80, 20, 18, 15, 10, 20, 8, 6, 5, 5, 3, 2, 4, 3, 6,
};

constexpr std::array<int, 17> Accesses = {
    // Data, Voice, PPC, Countdown, PPCPM, SMS, Incasso, Wallie, Voicebox in/out,
    // Creditcard, MMS, Creditcard, VAS, iDeal, Babbelbox, iDeal
    330, 300, 90, 50, 15, 70, 8, 12, 12, 6, 25, 4, 10, 6, 30, 30, 2,
};

constexpr std::array<const char *, 18> DialCodes = {
    "31", "32", "44", "49", "43", "41", "34", "39", "33", "1", "352", "45", "46", "61", "64", "1", "30", "353",
};

} // namespace

const QList<TProgramme> &Programmes()
{
    static const QList<TProgramme> list = {
        {"BB", Utf8("Babbelbox Live"), 40},
        {"GL", Utf8("Gouden Lijn"), 25},
        {"CC", Utf8("Café Contact"), 15},
        {"DV", Utf8("Datingverlies België"), 10},
        {"NS", Utf8("Nachtservice"), 7},
        {"SP", Utf8("Spelletjeslijn Ü18"), 3},
    };
    return list;
}

const QList<TNamed> &Sites()
{
    static const QList<TNamed> list = {
        {1, Utf8("chatpaleis.example"), 30},
        {2, Utf8("babbelhoek.example"), 25},
        {3, Utf8("flirtcafé.example"), 15},
        {4, Utf8("gezelligheid.example"), 12},
        {7, Utf8("belgië-belt.example"), 10},
        {12, Utf8("nachtuil.example"), 8},
    };
    return list;
}

const QList<TNamed> &Promoters()
{
    static const QList<TNamed> list = {
        {101, Utf8("Eigen promotie"), 35},
        {102, Utf8("Mediabureau Zuid"), 20},
        {117, Utf8("Jansen & Zn. Reclame"), 15},
        {123, Utf8("Flamand Médias"), 12},
        {140, Utf8("Bannerbureau Noord"), 10},
        {166, Utf8("Zoë Marketing"), 8},
    };
    return list;
}

std::span<const int> CountryWeights()
{
    return Countries;
}

std::span<const int> AccessWeights()
{
    return Accesses;
}

QString DialCode(int country)
{
    if (country < 0 || country >= static_cast<int>(DialCodes.size()))
        return QStringLiteral("0");
    return QString::fromLatin1(DialCodes[static_cast<std::size_t>(country)]);
}

const QStringList &LoginNames()
{
    static const QStringList list = {
        Utf8("Sanne"), Utf8("kees_nl"), Utf8("Jörg"), Utf8("Françoise"), Utf8("Zoë"),
        Utf8("marco"), Utf8("LiefjeLies"), Utf8("Pieter-Jan"), Utf8("Anaïs"), Utf8("bertje"),
        Utf8("Noor"), Utf8("DJ Henk"), Utf8("Søren"), Utf8("mevr. De Wit"), Utf8("Chloé"),
        Utf8("Wesley"), Utf8("Ingrid"), Utf8("Thijs"), Utf8("nachtbraker"), Utf8("Renée"),
        Utf8("Ahmed"), Utf8("Björn"), Utf8("Femke"), Utf8("Kevin"), Utf8("Mariëlle"),
    };
    return list;
}

const QStringList &PromoInfos()
{
    static const QStringList list = {
        QString(), QString(), Utf8("banner-top"), Utf8("mailing-maart"), Utf8("tv-spot 23:00"),
        Utf8("zoekadvertentie"), Utf8("partnerlink"), Utf8("nieuwsbrief"), Utf8("pop-under"),
        Utf8("actie €1 korting"),
    };
    return list;
}

QString SiteName(int id)
{
    for (const TNamed &site : Sites()) {
        if (site.Id == id)
            return site.Name;
    }
    return id > 0 ? QStringLiteral("site%1.example").arg(id) : QStringLiteral("Onbekende site");
}

QString PromoterName(int id)
{
    for (const TNamed &promoter : Promoters()) {
        if (promoter.Id == id)
            return promoter.Name;
    }
    return id > 0 ? QStringLiteral("Promotor %1").arg(id) : QStringLiteral("Onbekende promotor");
}

} // namespace SimTables
