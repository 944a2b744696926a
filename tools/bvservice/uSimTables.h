#pragma once

#include <QList>
#include <QString>

#include <span>

// The made-up business of the demo account: its partner programmes, its sites and
// promoters, and the weights that make a simulated day look like a real one.
namespace SimTables {

struct TProgramme
{
    QString Code;
    QString Name;
    int Weight;
};

struct TNamed
{
    int Id;
    QString Name;
    int Weight;
};

const QList<TProgramme> &Programmes();
const QList<TNamed> &Sites();
const QList<TNamed> &Promoters();

// Weight per country index 0..17 and per access-type index 0..16.
std::span<const int> CountryWeights();
std::span<const int> AccessWeights();

// International dialling code per country index, for the calling numbers.
QString DialCode(int country);

const QStringList &LoginNames();
const QStringList &PromoInfos();

// The site or promoter name for an id, or a made-up one for an id the account lacks.
QString SiteName(int id);
QString PromoterName(int id);

} // namespace SimTables
