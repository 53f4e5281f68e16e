#include "retrieval/charcopy.h"

#include <QString>

#include <gtest/gtest.h>

using namespace sokuri;

// Every length up to past the longest copied in blocks, from every start
// within a block: the copy holds the characters and nothing beyond them
// is written.
TEST(CharCopy, CopiesEveryLengthAndNothingMore)
{
    QString from;
    for (int i = 0; i < 48; ++i)
        from.append(QChar(char16_t(u'A' + i)));
    for (qsizetype start = 0; start < 8; ++start) {
        for (qsizetype n = 0; n + start <= from.size(); ++n) {
            QString to(from.size() + 2, u'.');
            QChar* end = copyChars(from.constData() + start, n, to.data() + 1);
            ASSERT_EQ(end - to.constData(), n + 1) << start << " " << n;
            ASSERT_EQ(to, u'.' + from.sliced(start, n) + QString(from.size() + 1 - n, u'.'))
                << start << " " << n;
        }
    }
}
