#pragma once
// The language's classes beyond the core ones, each group installed by its own file.

namespace swf::avm2 {

class Machine;

void installRegExpClass(Machine& m);  // RegExp and String's match, replace, search, split
void installDateClass(Machine& m);    // Date
void installJsonClass(Machine& m);    // JSON
void installVectorClasses(Machine& m);  // Vector.<T>
void installUriFunctions(Machine& m);  // escape, unescape, encodeURI(Component), decodeURI(Component)
void installXmlClasses(Machine& m);  // XML, XMLList, QName and Namespace
void installUtilsClasses(Machine& m);  // getQualifiedClassName and its kin, getDefinitionByName
void installByteArrayClass(Machine& m);  // flash.utils.ByteArray, Endian, CompressionAlgorithm, ObjectEncoding
void installDictionaryClass(Machine& m);  // flash.utils.Dictionary

}  // namespace swf::avm2
