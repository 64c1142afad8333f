// Text helpers of the array clients: how names go into request paths,
// query strings and JSON bodies, and how secrets are kept out of logs and
// error texts.
#ifndef PURESTOR_RESTTEXT_H
#define PURESTOR_RESTTEXT_H

#include <initializer_list>
#include <string>

// An array object name for a path segment or query value: letters, digits,
// "-", "_", "." and ":" stay as they are, every other byte becomes "%XX"
// (upper-case hex), so a name can neither break the URL nor add a query
// parameter.
std::string urlEncodeName(const std::string& name);

// A text for the inside of a JSON string: quote, backslash and control
// bytes escaped; every other byte unchanged.
std::string jsonEscape(const std::string& text);

// text with every occurrence of each non-empty secret replaced by "****".
std::string maskSecrets(const std::string& text, std::initializer_list<const std::string*> secrets);

#endif  // PURESTOR_RESTTEXT_H
