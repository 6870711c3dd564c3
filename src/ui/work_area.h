#pragma once

#include <QRect>
#include <functional>

// The primary screen's work area (the screen less the task bars). Tests install their own.
QRect PrimaryWorkArea();
// The work area of the screen holding the point (the primary one when no screen does).
QRect WorkAreaAt(const QPoint& point);
void SetWorkAreaProvider(std::function<QRect()> provider);
