#include "app/user_settings.h"

QSettings user_settings() { return QSettings(QStringLiteral("veld"), QStringLiteral("veld")); }
