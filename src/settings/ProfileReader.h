// Looks values up in INI-style profile text the way Windows' profile lookup does, so that
// setting.ini and keymap.ini read the same as they always have.
#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

class Profile {
public:
    // The longest value a lookup returns: a 255-character buffer less its terminator.
    static constexpr qsizetype MaxValueLength = 254;

    static Profile FromLines(const QStringList& lines);
    static Profile FromText(const QString& text);
    // A missing or unreadable file gives an empty profile.
    static Profile FromFile(const QString& path);

    // The empty text when the section or the key is missing.
    QString Value(QStringView section, QStringView key) const;

private:
    struct Entry {
        QString key;
        QString value;
    };
    using Section = QList<Entry>;
    // By case-folded name, for section names match without regard to letter case.
    QHash<QString, Section> sections_;
};

// One lookup in a profile file.
QString ReadProfileValue(const QString& path, QStringView section, QStringView key);
