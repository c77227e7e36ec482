#pragma once

#include <QLoggingCategory>

// Diagnostics of the toolkit layer: missing resources, unknown tags, malformed layouts.
Q_DECLARE_LOGGING_CATEGORY(lcUi)
