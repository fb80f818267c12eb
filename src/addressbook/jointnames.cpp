#include "jointnames.h"

#include "recordextras.h"

namespace nvl {

const QStringList &jointHonorifics() {
    static const QStringList words = {
        QStringLiteral("様"),   QStringLiteral("殿"),     QStringLiteral("御中"),
        QStringLiteral("君"),   QStringLiteral("先生"),   QStringLiteral("行"),
        QStringLiteral("くん"), QStringLiteral("ちゃん"), QString()};
    return words;
}

JointNames jointNamesOf(const QJsonObject &data) {
    return RecordExtras::fromJson(data).jointNames;
}

QJsonObject withJointNames(const QJsonObject &data, const JointNames &names) {
    RecordExtras extras = RecordExtras::fromJson(data);
    extras.jointNames = names;
    return extras.toJson();
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
