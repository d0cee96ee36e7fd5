#include "core/naturalorder.h"

#include <algorithm>
#include <QCollator>
#include <QLocale>
#include <vector>

namespace {

// The "C" locale collates by code point, which would put "10" before "2";
// such systems get English rules, as the rest of the program assumes.
QLocale collationLocale()
{
    const QLocale system;
    if (system.language() == QLocale::C)
        return QLocale(QLocale::English, QLocale::UnitedStates);
    return system;
}

} // namespace

void sortNaturally(QStringList &names)
{
    if (names.size() < 2)
        return;
    QCollator collator(collationLocale());
    collator.setNumericMode(true);
    collator.setCaseSensitivity(Qt::CaseInsensitive);

    // One sort key per name: comparing keys is far cheaper than collating
    // each pair afresh, which matters for folders of thousands of files.
    struct Keyed
    {
        QCollatorSortKey key;
        QString name;
    };
    std::vector<Keyed> keyed;
    keyed.reserve(size_t(names.size()));
    for (const QString &name : std::as_const(names))
        keyed.push_back({collator.sortKey(name), name});

    // Names that collate alike ("a.mp3", "A.mp3") fall back to their plain
    // text, so the order never depends on the order the folder was read in.
    std::sort(keyed.begin(), keyed.end(), [](const Keyed &a, const Keyed &b) {
        const int order = a.key.compare(b.key);
        return order != 0 ? order < 0 : a.name < b.name;
    });

    for (qsizetype i = 0; i < names.size(); ++i)
        names[i] = std::move(keyed[size_t(i)].name);
}
