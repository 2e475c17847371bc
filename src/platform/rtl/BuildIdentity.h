#pragma once

// Which build of the package a library comes from. The three libraries of one build carry the
// same identity (made when the build tree is configured), so that the module can refuse to run
// beside a sibling of another build, which a search path may slip in.
namespace BuildIdentity
{

// The identity compiled into libkpfplatform.so.
const char *Platform();

} // namespace BuildIdentity
