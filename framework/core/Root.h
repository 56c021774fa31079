// The root of the framework's classes.
#pragma once

class CByteStream;

class CRoot {
 public:
  virtual ~CRoot() = default;
  // Classes that can be stored in a stream override these.
  virtual void Load(CByteStream& stream);
  virtual void Save(CByteStream& stream) const;
};
