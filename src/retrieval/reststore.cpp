#include "retrieval/reststore.h"

#include "common/restsettings.h"
#include "common/wholefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLockFile>

#include <algorithm>

namespace sokuri {

namespace {

// A state file is a few hundred bytes a plugin; anything far larger is not
// one of ours and is not read.
constexpr qint64 MaxStateBytes = 4 * 1024 * 1024;
// How long a writer waits for another one to finish.
constexpr int LockWaitMs = 3000;
// A rest over for this long is forgotten, and with it its count in a row.
constexpr int ForgetAfterDays = 7;

const QString VersionKey = QStringLiteral("version");
const QString EnginesKey = QStringLiteral("engines");

} // namespace

QByteArray RestStore::encode(const RestTable& table)
{
    QJsonObject engines;
    for (auto rest = table.cbegin(); rest != table.cend(); ++rest) {
        engines.insert(rest.key(), QJsonObject{{QStringLiteral("series"), SeriesName(rest->series)},
                                               {QStringLiteral("cause"), rest->cause},
                                               {QStringLiteral("until"),
                                                rest->until.toUTC().toString(Qt::ISODate)},
                                               {QStringLiteral("count"), rest->count},
                                               {QStringLiteral("address"), rest->address}});
    }
    return QJsonDocument(QJsonObject{{VersionKey, Version}, {EnginesKey, engines}})
        .toJson(QJsonDocument::Indented);
}

RestTable RestStore::decode(const QByteArray& bytes, const QDateTime& now)
{
    RestTable table;
    const QJsonDocument document = QJsonDocument::fromJson(bytes);
    if (!document.isObject())
        return table;
    const QJsonObject root = document.object();
    if (root.value(VersionKey).toInt(-1) != Version)
        return table;
    const QJsonObject engines = root.value(EnginesKey).toObject();
    const QDateTime latest = now.toUTC().addSecs(RestSettings::MaxRestSeconds);
    for (auto entry = engines.constBegin(); entry != engines.constEnd(); ++entry) {
        const QJsonObject fields = entry.value().toObject();
        const auto series = SeriesFromName(fields.value(QStringLiteral("series")).toString());
        QDateTime until =
            QDateTime::fromString(fields.value(QStringLiteral("until")).toString(), Qt::ISODate);
        if (entry.key().isEmpty() || !series || !until.isValid())
            continue;
        until = until.toUTC();
        EngineRest rest;
        rest.series = *series;
        rest.cause = fields.value(QStringLiteral("cause")).toString().left(60);
        if (rest.cause.isEmpty())
            rest.cause = SeriesName(*series);
        rest.until = until > latest ? latest : until;
        rest.count = std::clamp(fields.value(QStringLiteral("count")).toInt(1), 1, MaxRestCount);
        rest.address = fields.value(QStringLiteral("address")).toString().left(2000);
        table.insert(entry.key(), rest);
    }
    return table;
}

RestTable RestStore::read(const QDateTime& now) const
{
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > MaxStateBytes)
        return {};
    return decode(file.read(MaxStateBytes), now);
}

bool RestStore::update(const std::function<void(RestTable&)>& change, const QDateTime& now,
                       QString* errorText) const
{
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    QLockFile lock(m_path + QStringLiteral(".lock"));
    if (!lock.tryLock(LockWaitMs)) {
        if (errorText)
            *errorText = m_path + QStringLiteral(" を他のプログラムが使っています。");
        return false;
    }
    RestTable table = read(now);
    const RestTable before = table;
    change(table);
    const QDateTime forgotten = now.toUTC().addSecs(-qint64(ForgetAfterDays) * 24 * 3600);
    for (auto rest = table.begin(); rest != table.end();) {
        if (rest->until < forgotten)
            rest = table.erase(rest);
        else
            ++rest;
    }
    if (table == before && (table.isEmpty() || QFileInfo::exists(m_path)))
        return true;
    return WriteWholeFile(m_path, encode(table), errorText);
}

} // namespace sokuri
