#pragma once

#include <QHashFunctions>
#include <QString>
#include <QStringView>

#include <unordered_map>

// A map keyed by text that is searched with a view, so a field read from a reply line is
// looked up without first being copied into a string of its own.
struct TTextHash
{
    using is_transparent = void;
    std::size_t operator()(QStringView text) const noexcept { return qHash(text); }
};

struct TTextEqual
{
    using is_transparent = void;
    bool operator()(QStringView a, QStringView b) const noexcept { return a == b; }
};

template <typename T>
using TTextIndex = std::unordered_map<QString, T, TTextHash, TTextEqual>;
