#pragma once
// The language's own classes and functions, installed into a machine's built-in global scope
// (one function per group of classes).

#include <span>
#include <string>
#include <vector>

#include "swf/avm2/Value.h"

namespace swf::avm2 {

class ArrayObject;
class Machine;

// The argument at `index`, or undefined past the end.
inline Value argAt(std::span<const Value> args, size_t index) {
    return index < args.size() ? args[index] : Value();
}

// A Number parameter with a default: `fallback` when the argument is missing, else the
// argument as a number (an undefined one is NaN).
double numberParameter(Machine& m, std::span<const Value> args, size_t index, double fallback);

// A position argument as slice and its kin read it: negative counts from the end, NaN is 0,
// a missing one is `fallback`, clamped to 0..length.
size_t relativePosition(Machine& m, std::span<const Value> args, size_t index, size_t length, double fallback);

// The callback of forEach and its kin, declared `callback:Function`: none is an ArgumentError
// and anything but a function or null a TypeError.
Value callbackArgument(Machine& m, std::span<const Value> args, const std::string& method);

// An array's elements from 0 to its length as reads find them: a hole reads through to the
// prototypes, and stays a hole where none has the index. Error #1000 past the longest array.
std::vector<Value> arrayElements(ArrayObject* a);

// A value's text as toLocaleString gives it (Object's "[object Boolean]" for classes without
// one of their own), for the collections' toLocaleString.
std::string localeString(Machine& m, const Value& v);

// The text a String method works on: its receiver as a string, "" for String.prototype itself.
std::string receiverString(Machine& m, const Value& self);

void installObjectClasses(Machine& m);   // Object, Function, Class, Boolean, Namespace, globals
void installNumberClasses(Machine& m);   // Number, int, uint, Math
void installStringClass(Machine& m);     // String
void installArrayClass(Machine& m);      // Array
void installErrorClasses(Machine& m);    // Error and its subclasses
void installLanguageClasses(Machine& m);  // RegExp, Date, JSON, Vector and flash.utils
void installDisplayClasses(Machine& m);  // flash.events and flash.display as scripts see them

}  // namespace swf::avm2
