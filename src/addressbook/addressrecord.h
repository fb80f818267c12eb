#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <optional>

namespace nvl {

// One recipient, seven text fields in the order they stand in a data file.
struct AddressRecord {
    static constexpr int FieldCount = 7;
    enum Field {
        Name = 1,
        Address1 = 2,
        Address2 = 3,
        PostalCode = 4,
        Code = 5,
        Honorific = 6,
        Address3 = 7,
    };

    std::array<QString, FieldCount> fields;

    // Fields are numbered 1 to 7, as in the file.
    const QString &field(int number) const { return fields.at(number - 1); }
    void setField(int number, const QString &value) { fields.at(number - 1) = value; }

    QStringList toList() const;
    static AddressRecord fromList(const QStringList &values);

    bool operator==(const AddressRecord &other) const { return fields == other.fields; }
};

// The leading numeric part of a text, 0 when there is none (" 3" → 3,
// "2.5x" → 2.5, "abc" → 0).
double leadingNumber(const QString &text);

// True when the whole text, blanks aside, is one number ("12", " 3.5 ").
bool isNumericText(const QString &text);

// Rounds halves to even, as the program has always rounded indexes.
int roundHalfEven(double value);

// Index to word: 0 様, 1 殿, 2 御中, 3 君, 4 先生, 5 行.
const QStringList &honorificWords();

// The word for a stored honorific field: its leading number (0 for empty)
// rounded half to even, an empty text when that selects none of the six;
// a field holding a word (各位, さん) gives the word.
QString honorificWord(const QString &field);

} // namespace nvl
