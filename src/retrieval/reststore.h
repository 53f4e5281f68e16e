#pragma once

#include "retrieval/enginerest.h"

#include <QByteArray>
#include <QDateTime>
#include <QMap>
#include <QString>

#include <functional>

namespace sokuri {

// The engines' rests by plugin name, as the state file keeps them.
using RestTable = QMap<QString, EngineRest>;

// The state file of the rests: a small JSON object
//   {"version": 1, "engines": {"alpha": {"series": "challenge", "cause": "CAPTCHA",
//    "until": "2026-12-09T07:00:00Z", "count": 1, "address": "http://..."}}}
// written whole. Reading forgives everything: a missing, empty, truncated or
// foreign file, another version, or an entry that makes no sense reads as no
// rest for what it cannot tell; an "until" more than a day ahead of now is
// held at a day from now, so no file can rest an engine for ever.
class RestStore
{
public:
    static constexpr int Version = 1;

    explicit RestStore(QString path)
        : m_path(std::move(path))
    {}

    const QString& path() const { return m_path; }

    RestTable read(const QDateTime& now) const;

    // Reads the table, lets change alter it and writes it back, all under a
    // lock file beside the state file, so two programs that record at the
    // same time both have their say and the file stays whole. Rests that ran
    // out more than a week ago are dropped on the way. False with the reason
    // when the lock or the write fails; the file is then as it was.
    bool update(const std::function<void(RestTable&)>& change, const QDateTime& now,
                QString* errorText = nullptr) const;

    // The file's bytes for a table, and the table of bytes (as read()).
    static QByteArray encode(const RestTable& table);
    static RestTable decode(const QByteArray& bytes, const QDateTime& now);

private:
    QString m_path;
};

} // namespace sokuri
