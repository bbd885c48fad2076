#pragma once
// Points where a test can step into the library to make its safety code run: faults that
// cannot be caused from outside on demand. They exist only in the zipcore_testhooks build of
// the library, which only test programs link; the shipped library has no such points.

#ifdef ZIPCORE_TEST_HOOKS

#include <functional>
#include <string>

namespace zipcore::testhooks {

// Called with the finished temporary file of an update just before it is verified.
extern std::function<void(const std::string& temporary)> beforeVerify;
// Called on Windows when an archive is replaced, after the old file was moved aside and
// before the new one is renamed into its place; returning false makes that rename fail.
extern std::function<bool()> betweenRenames;
// Called as extraction creates a file, before its path is converted for the system (which
// allocates, possibly on a worker thread); throwing std::bad_alloc here stands for memory
// running out there.
extern std::function<void(const std::string& path)> beforeCreate;

}  // namespace zipcore::testhooks

#endif
