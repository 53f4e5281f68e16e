#include "retrieval/answercause.h"

#include "retrieval/headerline.h"
#include "retrieval/replyreader.h"

#include <QByteArray>

#include <algorithm>
#include <array>

namespace sokuri {

namespace {

// Marks that the challenge pages of today's engines and bot guards carry;
// written in lower case, compared with a lower-cased copy of the answer.
constexpr std::array<QByteArrayView, 21> ChallengeMarks = {
    // forms that ask for a CAPTCHA or a challenge
    "id=\"captcha-form\"",
    "id=\"captcha\"",
    "name=\"captcha\"",
    "id=\"challenge-form\"",
    // reCAPTCHA and hCaptcha
    "class=\"g-recaptcha\"",
    "www.google.com/recaptcha/",
    "www.recaptcha.net/recaptcha/",
    "class=\"h-captcha\"",
    "hcaptcha.com/1/api.js",
    // Cloudflare's challenge and Turnstile
    "challenges.cloudflare.com",
    "/cdn-cgi/challenge-platform/",
    "cf-chl-",
    "class=\"cf-turnstile\"",
    "<title>just a moment...</title>",
    "<title>attention required! | cloudflare</title>",
    // DuckDuckGo's anomaly page
    "anomaly-modal",
    "bots use duckduckgo too",
    // Google's "unusual traffic" page
    "our systems have detected unusual traffic",
    "action=\"/sorry/index\"",
    "www.google.com/sorry/",
    "unusual traffic from your computer network",
};

struct StatusLine
{
    int code = 0;           // 0: the answer has no HTTP status line
    QStringList retryAfter; // the Retry-After values, trimmed, in order
    qsizetype bodyAt = 0;   // where the body starts
};

// The status code of "HTTP/x.y NNN ..." and the header lines after it.
StatusLine readHead(QByteArrayView answer)
{
    StatusLine head;
    qsizetype end = answer.indexOf('\n');
    head.code = HttpStatusCode(answer.first(end < 0 ? answer.size() : end));
    if (head.code == 0)
        return head;
    while (end >= 0) {
        const qsizetype start = end + 1;
        end = answer.indexOf('\n', start);
        QByteArrayView line = answer.sliced(start, (end < 0 ? answer.size() : end) - start);
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.isEmpty()) {
            head.bodyAt = end < 0 ? answer.size() : end + 1;
            break;
        }
        // Seconds or an HTTP date; anything longer is no value to show.
        if (const auto retryAfter = HeaderValue(line, "retry-after");
            retryAfter && head.retryAfter.size() < 8)
            head.retryAfter.append(QString::fromLatin1(*retryAfter).left(40));
    }
    return head;
}

QString httpReason(const StatusLine& head)
{
    QString reason = QStringLiteral("HTTP %1").arg(head.code);
    if (head.code == 403) {
        reason += QStringLiteral(" アクセス拒否");
    } else if (head.code == 404) {
        reason += QStringLiteral(" 見つかりません");
    } else if (head.code == 429) {
        reason += QStringLiteral(" 要求が多すぎます");
        const QString retryAfter = head.retryAfter.isEmpty() ? QString() : head.retryAfter.last();
        bool seconds = false;
        const int wait = retryAfter.toInt(&seconds);
        if (seconds && wait >= 0)
            reason += QStringLiteral(" (%1 秒後に再試行できます)").arg(wait);
        else if (!retryAfter.isEmpty())
            reason += QStringLiteral(" (再試行: ") + retryAfter + u')';
    } else if (head.code >= 500 && head.code <= 599) {
        reason += QStringLiteral(" サーバーの障害");
    }
    return reason;
}

} // namespace

bool LooksLikeChallenge(QByteArrayView bytes)
{
    const QByteArray lower = bytes.toByteArray().toLower();
    return std::any_of(ChallengeMarks.begin(), ChallengeMarks.end(),
                       [&lower](QByteArrayView mark) { return lower.contains(mark); });
}

AnswerCause ExplainEmptyAnswer(QByteArrayView answerStart, bool sawList, QStringView captchaMarker,
                               QStringView charset)
{
    const StatusLine head = readHead(answerStart);
    const QByteArrayView body = answerStart.sliced(head.bodyAt);
    bool challenge = LooksLikeChallenge(body);
    if (!challenge && !captchaMarker.isEmpty()) {
        QString text = DecodeReplyLine(charset, body);
        if (text.isEmpty())
            text = QString::fromLatin1(body);
        challenge = text.contains(captchaMarker);
    }
    if (head.code >= 400)
        return {true, httpReason(head), {}, head.code, head.retryAfter, challenge};
    if (challenge) {
        return {true,
                QStringLiteral("CAPTCHA"),
                QStringLiteral("人が操作していることの確認を求められました。"
                               "時間をおくか、ブラウザーで検索してください"),
                0,
                {},
                true};
    }
    if (!sawList) {
        return {true,
                QStringLiteral("結果の一覧がありません"),
                QStringLiteral("プラグインの目印が古くなっているかもしれません"),
                0,
                {},
                false};
    }
    return {};
}

} // namespace sokuri
