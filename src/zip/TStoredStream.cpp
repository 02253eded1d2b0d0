#include "zip/TStoredStream.h"

TStoredStream::TStoredStream(TStream &stream) : FStream(stream), FStartPosition(stream.Position()) {}
