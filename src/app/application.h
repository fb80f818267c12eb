#pragma once

#include "appcontext.h"

class QCoreApplication;

namespace nvl {

// Registers every window this build has, so the registry can create them.
void registerWindows(AppContext &context);

// Qt's own dialog texts in Japanese.
void installJapaneseTranslations(QCoreApplication &app);

} // namespace nvl
