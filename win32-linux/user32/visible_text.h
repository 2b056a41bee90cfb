// win32-linux/user32/visible_text.h
// Names shown as they are, not as they would draw. A Linux name may hold any byte but '/'
// and NUL: a carriage return that draws the rest over the start, a newline that splits the
// line, bytes that are no UTF-8. Such names are shown quoted as coreutils quotes them for
// the shell, so that no name can dress up as another.
#ifndef ZAPFILE_STANDIN_USER32_VISIBLE_TEXT_H
#define ZAPFILE_STANDIN_USER32_VISIBLE_TEXT_H

#include <string>
#include <string_view>

namespace standin {

// The name as rm names it in its messages: 'a b', "it's", 'a'$'\n''b', ''$'\351'.
std::string QuoteName(std::string_view name);

// A message box's text as it is shown: a run between two double quotes is a name as the
// program quotes it, and one that holds anything to escape is shown as QuoteName gives it,
// in place of its double quotes. The rest is left as it is.
std::string VisibleText(std::string_view text);

}  // namespace standin

#endif
