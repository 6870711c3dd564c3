#pragma once

#include <QRect>
#include <functional>

// The primary screen's work area (the screen less the task bars). Tests install their own.
QRect PrimaryWorkArea();
void SetWorkAreaProvider(std::function<QRect()> provider);
