// The Qt application the frame drawing needs for its text, for the commands
// that draw frames.
#pragma once

#include <QGuiApplication>
#include <memory>

// A new application, or none when one is running already. Without a display
// it draws offscreen.
std::unique_ptr<QGuiApplication> start_qt();
