#pragma once
// The program's log, through Qt's logging categories, so a field report can
// say what happened after the windows are gone. QT_LOGGING_RULES silences a
// category ("gw20.messages=false").

#include <string>

namespace gw20::qtui {

// A diagnostic under `category`: "gw20.console" for the console's, any other
// under "gw20.notes".
void LogNote(const std::string& category, const std::string& text);

// A message the operator was shown, under "gw20.messages": "title: text", or
// the text alone when `title` is empty.
void LogShownMessage(const std::string& text, const std::string& title);

}  // namespace gw20::qtui
