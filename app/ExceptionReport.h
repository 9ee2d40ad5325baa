#pragma once

// Reports the exception being handled (call it inside a catch block) as the
// end of the run: a message box captioned with the exception's type, a fatal
// record with its text immediately followed by its type, and the info record
// "Program treminated upon a fatal exception.", both in the name of
// `function`. A framework exception's type is its what() and its text
// GetText(); any other exception's type is its type's name ("std::bad_alloc")
// and its text what(). Returns true when the exception was the framework's.
bool ReportCurrentException(const char* function);
