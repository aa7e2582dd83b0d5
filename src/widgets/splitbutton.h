#pragma once

// Tool buttons that both run a command and open a menu (the read button, Tools)
// show assistive tools a press action beside the menu one; Qt's own interface
// for them offers only the menu.
namespace splitbutton_accessible {

// Makes Qt's accessibility ask this file for such buttons; safe to call often.
void Install();

} // namespace splitbutton_accessible
