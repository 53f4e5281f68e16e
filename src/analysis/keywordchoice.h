#pragma once

#include "analysis/termscore.h"
#include "common/settings.h"

#include <QList>
#include <QStringList>
#include <QStringView>

namespace sokuri {

// The best max terms, most important first (a higher score; the earlier
// term on a tie). A term that stands inside one already chosen is passed
// over (知能 after 人工知能). max 0 keeps every distinct term.
QStringList ChooseKeywords(QList<ScoredTerm> terms, int max);

// The keywords of the analyser lines of text by the settings: the terms of
// CompoundTerms, every one in text order (duplicates kept) when no maximum
// is set, else the ones ChooseKeywords takes. At most KeywordList::Capacity.
QStringList PassageKeywords(const QStringList& lines, QStringView text,
                            const KeywordSettings& settings);

} // namespace sokuri
