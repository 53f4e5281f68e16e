#include "retrieval/replyhead.h"

#include <QByteArray>
#include <QString>

#include <gtest/gtest.h>

using namespace sokuri;
using namespace Qt::StringLiterals;

TEST(ReplyHead, RedirectsAreToldFromEveryOtherAnswer)
{
    struct Case
    {
        const char* what;
        QByteArray reply;
        ReplyHead::Verdict verdict;
        const char16_t* location;
    };
    const Case cases[] = {
        {"a page", "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n\r\n<ol>", ReplyHead::Lines, u""},
        {"no status line", "<html><ol>\r\n", ReplyHead::Lines, u""},
        {"moved", "HTTP/1.1 301 Moved Permanently\r\nlocation:  https://x.jp/s?q=1 \r\n\r\nbody",
         ReplyHead::Redirect, u"https://x.jp/s?q=1"},
        {"every redirect status", "HTTP/1.1 308 P\nLocation: /new\n\n", ReplyHead::Redirect,
         u"/new"},
        {"a redirect without a Location", "HTTP/1.0 302 Found\r\nServer: s\r\n\r\n<ol>",
         ReplyHead::Lines, u""},
        {"not a redirect status", "HTTP/1.0 304 Not Modified\r\nLocation: /x\r\n\r\n",
         ReplyHead::Lines, u""},
        {"a status of other digits", "HTTP/1.0 3011 X\r\nLocation: /x\r\n\r\n", ReplyHead::Lines,
         u""},
        {"an unfinished head", "HTTP/1.0 301 Moved\r\nLocation: /x\r\n", ReplyHead::Undecided,
         u"/x"},
        {"a head that never ends",
         "HTTP/1.0 301 Moved\r\n" + QByteArray(ReplyHead::MaxHeadBytes, 'x'), ReplyHead::Lines,
         u""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // Whole, and one byte at a time: the verdict does not depend on the
        // arrivals, and every held byte is handed on.
        for (const qsizetype piece : {c.reply.size(), qsizetype(1)}) {
            ReplyHead head;
            ReplyHead::Verdict verdict = ReplyHead::Undecided;
            for (qsizetype at = 0; at < c.reply.size(); at += piece)
                verdict = head.take(
                    QByteArrayView(c.reply).sliced(at).first(std::min(piece, c.reply.size() - at)));
            EXPECT_EQ(verdict, c.verdict);
            EXPECT_EQ(head.location(), QString::fromUtf16(c.location));
            if (verdict == ReplyHead::Lines) {
                EXPECT_TRUE(c.reply.startsWith(head.takeHeld()));
            }
        }
    }
    // An answer that ends while undecided is read as lines, whole.
    ReplyHead head;
    head.take("HTTP/1.0 301 Moved\r\n");
    EXPECT_EQ(head.finish(), ReplyHead::Lines);
    EXPECT_EQ(head.takeHeld(), "HTTP/1.0 301 Moved\r\n");
}
