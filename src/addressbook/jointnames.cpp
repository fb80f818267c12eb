#include "jointnames.h"

#include <QJsonArray>

namespace nvl {

namespace {

const QString Key = QStringLiteral("jointNames");

} // namespace

const QStringList &jointHonorifics() {
    static const QStringList words = {
        QStringLiteral("様"),   QStringLiteral("殿"),     QStringLiteral("御中"),
        QStringLiteral("君"),   QStringLiteral("先生"),   QStringLiteral("行"),
        QStringLiteral("くん"), QStringLiteral("ちゃん"), QString()};
    return words;
}

JointNames jointNamesOf(const QJsonObject &data) {
    JointNames names;
    for (const QJsonValue value : data.value(Key).toArray()) {
        const QJsonObject o = value.toObject();
        const QString name = o.value(QStringLiteral("name")).toString().trimmed();
        if (name.isEmpty())
            continue;
        names.append({name, o.value(QStringLiteral("honorific")).toString()});
        if (names.size() == MaxJointNames)
            break;
    }
    return names;
}

QJsonObject withJointNames(QJsonObject data, const JointNames &names) {
    QJsonArray list;
    for (const JointName &joint : names) {
        if (joint.name.trimmed().isEmpty() || list.size() == MaxJointNames)
            continue;
        list.append(QJsonObject{{QStringLiteral("name"), joint.name.trimmed()},
                                {QStringLiteral("honorific"), joint.honorific}});
    }
    if (list.isEmpty())
        data.remove(Key);
    else
        data.insert(Key, list);
    return data;
}

QList<JointNames> jointNamesOfEach(const QList<QJsonObject> &data) {
    QList<JointNames> each;
    each.reserve(data.size());
    for (const QJsonObject &one : data)
        each.append(jointNamesOf(one));
    return each;
}

SplitName splitName(const QString &name) {
    const QString trimmed = name.trimmed();
    for (qsizetype i = 0; i < trimmed.size(); ++i) {
        if (trimmed.at(i) == u' ' || trimmed.at(i) == u'　')
            return {trimmed.left(i), trimmed.mid(i + 1).trimmed()};
    }
    if (trimmed.size() <= 2)
        return {trimmed, QString()};
    return {trimmed.left(2), trimmed.mid(2)};
}

QString jointNamesText(const JointNames &names) {
    QStringList parts;
    for (const JointName &joint : names)
        parts.append(joint.honorific.isEmpty() ? joint.name : joint.name + u' ' + joint.honorific);
    return parts.join(u'・');
}

} // namespace nvl
