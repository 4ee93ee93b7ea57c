#pragma once
#include <QStringList>

// Turns an open-file filter text ("Description|*.a;*.b|...|", ended by the first
// empty field, i.e. a doubled '|') into the name filters of a Qt file dialog ("Description (*.a *.b)"),
// in the same order, so the first one is the dialog's initial choice.
QStringList OpenFilterToNameFilters(const QString& filter);
