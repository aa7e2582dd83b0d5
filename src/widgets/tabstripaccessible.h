#pragma once

// What assistive tools see of a TTabStrip or of a toolkit tab bar (the pages of
// a dialog): a page tab list whose children are its tabs, each named by its
// caption, selectable and pressable, and focused only while the strip has the focus.
namespace tabstrip_accessible {

// Makes Qt's accessibility ask this file for every TTabStrip and QTabBar; safe to call often.
void Install();

} // namespace tabstrip_accessible
