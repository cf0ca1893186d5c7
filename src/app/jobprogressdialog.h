#pragma once

#include "document/jobassembly.h"

#include <QString>

#include <functional>

class QWidget;

// A job generation that reports its progress through the callback it is given
// and returns an empty text on success, otherwise the reason.
using JobGeneration = std::function<QString(const JobProgress &progress)>;

// Runs `generate` with a window-modal progress dialog over `parent` that only
// appears when the work takes longer than a moment. Cancelling the dialog
// abandons the generation (the callback then answers false).
QString generateWithProgressDialog(QWidget *parent, const JobGeneration &generate);
