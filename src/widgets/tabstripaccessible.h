#pragma once

// What assistive tools see of a TTabStrip: a page tab list whose children are
// its tabs, each named by its caption, selectable and pressable.
namespace tabstrip_accessible {

// Makes Qt's accessibility ask this file for every TTabStrip; safe to call often.
void Install();

} // namespace tabstrip_accessible
