#pragma once

#include <QLatin1String>
#include <QString>

namespace dwfm::bench {

// The size of the search benchmarks' stores: file rows named after kinds of documents in
// locations below one top location, and documents with a text of their own.
constexpr int kLocations = 1000;
constexpr int kNamedFiles = 100000;
constexpr int kDocuments = 10000;

// A made-up word of two to four syllables, the n-th of the search benchmarks' vocabulary: the
// text of their documents and the words they search for.
inline QString word(quint32 n)
{
    static const char *const syllables[] = {"ka", "ver", "bou", "ste", "lin", "gro", "de", "wa", "ter",
                                            "mo", "ni", "pla", "zon", "ber", "aal", "ruim", "vest", "ek"};
    QString out;
    const int count = 2 + int(n % 3);
    for (int i = 0; i < count; ++i) {
        out += QLatin1String(syllables[n % 18]);
        n = n / 18 + 7 * quint32(i + 1);
    }
    return out;
}

} // namespace dwfm::bench
