// Copying answers into callers' buffers without ever writing past the
// capacity they give. Internal to the model.
#ifndef KXHOST_MODELBUFFERS_H
#define KXHOST_MODELBUFFERS_H

#include <cstdarg>
#include <string>
#include <vector>

namespace kxhost {

// Copies text and its NUL when text.size() + 1 <= *len: 0. A smaller
// capacity: 2, buf gets an empty text (when it has room for one) and *len
// the size needed. Null buf or len: 1.
int copyToShortBuffer(const std::string& text, char* buf, short* len);
int copyToIntBuffer(const std::string& text, char* buf, int* len);

// The same with the capacity passed by value: 0, or the size needed
// (positive) when it is short; -1 for a null buffer.
int copyToBuffer(const std::string& text, char* buf, int capacity);

// printf-style formatting into a string; a null format gives "".
std::string formatText(const char* fmt, va_list args);

// Joins texts with the separator between them.
std::string joinTexts(const std::vector<std::string>& texts, char separator);

}  // namespace kxhost

#endif  // KXHOST_MODELBUFFERS_H
