#pragma once

#include <string>

namespace zandrel::test {

// The port of one of the demo service's listeners ("main", "plain", "lookup.<fault>"), read from
// the ports file that the CTest fixture names in ZANDREL_DEMO_STATE. Fails the test when missing.
int DemoPort(const std::string& listener);
// A loopback port on which nothing listens.
int ClosedPort();
// UTF-8 text in the program's code page, to compare with what the session delivers.
std::string Utf8ToAnsi(const std::string& utf8);

}  // namespace zandrel::test
