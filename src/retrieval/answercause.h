#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QStringView>

namespace sokuri {

// Why an engine's answer gave no rows, as its status tells it: the HTTP
// status of a refusal or a server fault, a bot challenge instead of the
// results, or a page without the result list (markers out of date).
struct AnswerCause
{
    bool failed = false; // false: a page whose list was simply empty
    QString reason; // "HTTP 429 要求が多すぎます", "CAPTCHA", "結果の一覧がありません"
    QString hint;           // what the user can do, or empty
    int httpCode = 0;       // the status when it is 400 or more, else 0
    QStringList retryAfter; // the answer's Retry-After values, one per header line
    bool challenge = false; // the body is a bot challenge (also behind a refusal)
};

// The most bytes of an answer's start kept for the explanation.
constexpr qsizetype MaxAnswerSampleBytes = 256 * 1024;

// Explains an answer that gave no rows. answerStart is the answer as it came
// (status line, header lines, then the start of the body, at most
// MaxAnswerSampleBytes); sawList says whether the plugin's list marker was
// found; captchaMarker is the plugin's own sign of a challenge page (empty:
// none), looked for in the text decoded by charset. In this order: a status
// of 400 or more names its code; a challenge page says "CAPTCHA"; a page
// without the list says so; otherwise nothing failed.
AnswerCause ExplainEmptyAnswer(QByteArrayView answerStart, bool sawList,
                               QStringView captchaMarker = {}, QStringView charset = {});

// True when the bytes carry a well-known mark of a bot challenge: a CAPTCHA
// or challenge form, reCAPTCHA, hCaptcha, Cloudflare's challenge, DuckDuckGo's
// anomaly page, Google's "unusual traffic" page. Letters in any case.
bool LooksLikeChallenge(QByteArrayView bytes);

} // namespace sokuri
