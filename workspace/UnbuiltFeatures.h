#pragma once

class QWidget;

// Menu entries and buttons whose features are not built yet. They stay in the
// window, so its layout is the familiar one, but disabled with the tooltip
// "尚未提供", so nothing promises what a click cannot do. Each is taken off
// this list when its feature lands.
namespace UnbuiltFeatures {

// Object names of the disabled actions and buttons.
const char* const* actionNames();
const char* const* buttonNames();

// Disables them among window's children. Call once the window is built.
void disable(QWidget* window);

} // namespace UnbuiltFeatures
