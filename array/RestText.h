// Text helpers of the array clients: how names go into request paths,
// query strings and JSON bodies, and how secrets are kept out of logs and
// error texts.
#ifndef PURESTOR_RESTTEXT_H
#define PURESTOR_RESTTEXT_H

#include <cstdarg>
#include <initializer_list>
#include <string>
#include <vector>

#include "KXSOSnapInfo.h"

// An array object name for a path segment or query value: letters, digits,
// "-", "_", "." and ":" stay as they are, every other byte becomes "%XX"
// (upper-case hex), so a name can neither break the URL nor add a query
// parameter.
std::string urlEncodeName(const std::string& name);

// collection + "/" + the encoded name + query (as given), e.g.
// restPath("volume", "v 1", "?snap=true") is "volume/v%201?snap=true".
std::string restPath(const char* collection, const std::string& name, const char* query = "");

// A text for the inside of a JSON string: quote, backslash and control
// bytes escaped; every other byte unchanged.
std::string jsonEscape(const std::string& text);

// The names JSON-escaped and quoted, each followed by ", " except the last,
// which is followed by a blank: "a", "b" . Nothing for no names.
std::string jsonNameList(const std::vector<std::string>& names);

// text with every occurrence of each non-empty secret replaced by "****".
std::string maskSecrets(const std::string& text, std::initializer_list<const std::string*> secrets);

// One logWithContext line on logger (none when null), formatted from fmt
// and args, with the secret masked.
void logMaskedV(KXSO::SnapInfo* logger, int level, const char* context,
                const std::string& secret, const char* fmt, va_list args);

// printf-style formatting into a string.
std::string vformatText(const char* fmt, va_list args);

#endif  // PURESTOR_RESTTEXT_H
