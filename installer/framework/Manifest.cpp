#include "installer/framework/Manifest.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <stdexcept>

const ManifestEntry* Manifest::find(int id) const
{
    for (const ManifestEntry& e : files)
        if (e.id == id)
            return &e;
    return nullptr;
}

qint64 Manifest::totalSize() const
{
    qint64 total = 0;
    for (const ManifestEntry& e : files)
        total += e.size;
    return total;
}

QByteArray Manifest::toJson() const
{
    QJsonArray list;
    for (const ManifestEntry& e : files) {
        QJsonObject o{{"id", e.id},
                      {"source", e.source},
                      {"member", e.member},
                      {"size", e.size},
                      {"date", e.date.toUTC().toString(Qt::ISODate)}};
        if (e.version)
            o.insert("version", e.version->toString());
        list.append(o);
    }
    return QJsonDocument(QJsonObject{{"files", list}}).toJson();
}

Manifest Manifest::fromJson(const QByteArray& json)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        throw std::runtime_error("the list of files is damaged");
    Manifest manifest;
    for (const QJsonValue& value : document.object().value("files").toArray()) {
        const QJsonObject o = value.toObject();
        ManifestEntry e;
        e.id = o.value("id").toInt(-1);
        e.source = o.value("source").toString();
        e.member = o.value("member").toString();
        e.size = o.value("size").toInteger(-1);
        e.date = QDateTime::fromString(o.value("date").toString(), Qt::ISODate);
        if (o.contains("version"))
            e.version = FileVersion::parse(o.value("version").toString());
        if (e.id < 0 || e.member.isEmpty() || e.size < 0 || !e.date.isValid() ||
            (o.contains("version") && !e.version))
            throw std::runtime_error("the list of files is damaged");
        manifest.files.push_back(e);
    }
    return manifest;
}
