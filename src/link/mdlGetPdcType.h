// The handset's model name from the maker code and model letters that begin its serial number.
#pragma once

#include <QString>

// "P504i" for a serial beginning with NMABK, and so on; "不明" when no row of the table matches.
QString ModelNameFromSerial(const QString& serial);

// The name given to every serial the table does not know.
QString UnknownModelName();
