#pragma once

#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>

namespace nvl {

// 連名: further names on one card, kept in the book's companion file (the
// seven fields have no room for them). Each is a given name, or a full name
// when the family name differs, with an honorific word of its own.
struct JointName {
    QString name;
    QString honorific;
    bool operator==(const JointName &other) const {
        return name == other.name && honorific == other.honorific;
    }
};
using JointNames = QList<JointName>;

constexpr int MaxJointNames = 3;

// The words a joint name can take, the empty one (none) last.
const QStringList &jointHonorifics();

// The joint names a record's companion data holds, at most three, empty
// names left out.
JointNames jointNamesOf(const QJsonObject &data);
// The data with these joint names; without the key when there are none.
QJsonObject withJointNames(const QJsonObject &data, const JointNames &names);

// Each record's joint names, from the companion data of each.
QList<JointNames> jointNamesOfEach(const QList<QJsonObject> &data);

// A name split into family and given name: at its first blank (half or
// full width); a name without one takes its first two characters as the
// family name.
struct SplitName {
    QString family;
    QString given;
};
SplitName splitName(const QString &name);

// The names after the name, as lists show them: "花子 様・健太 くん".
QString jointNamesText(const JointNames &names);

} // namespace nvl
