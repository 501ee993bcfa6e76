#pragma once

#include "core/catalogue.h"
#include "platform/context.h"

namespace mensurio::notepads {

// The category's notepad file name ("Notepad of Weight.txt").
QString fileName(Category category);

// Makes sure the category's notepad exists (one empty line when it is new) and hands
// it to the desktop's text editor. An existing file is never touched.
void open(Context& context, Category category);

} // namespace mensurio::notepads
