#pragma once

#include <QChar>

// The locale's decimal separator, used wherever numbers are shown or typed.
// Taken from the system locale at first use; tests and the command line may set it.
namespace FormatSettings {

QChar decimalSeparator();
void setDecimalSeparator(QChar separator);

} // namespace FormatSettings
