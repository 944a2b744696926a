#pragma once

#include <QString>
#include <QStringView>

// The one tokenizer every line format goes through. Its state is process-wide and not
// re-entrant: take all fields of one line before anything else starts scanning.
void TokenInit(const QString &text, const QString &separator);
QString NextToken();
// The next field without a copy: it stays valid until the next TokenInit.
QStringView NextTokenView();
int NextTokenInt();

// Reads a whole 32-bit number: leading spaces, one sign, decimal digits or "$" and
// hexadecimal digits, nothing after. Anything else, or a value beyond 32 bits, gives
// `defaultValue`.
int StrToIntDef(QStringView text, int defaultValue);
