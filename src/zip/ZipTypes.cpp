#include "zip/ZipTypes.h"

std::string TZipCompressionToString(TZipCompression compression)
{
    switch (compression) {
    case zcStored:
        return "Stored";
    case zcShrunk:
        return "Shrunk";
    case zcReduce1:
        return "Reduced1";
    case zcReduce2:
        return "Reduced2";
    case zcReduce3:
        return "Reduced3";
    case zcReduce4:
        return "Reduced4";
    case zcImplode:
        return "Imploded";
    case zcTokenize:
        return "Tokenized";
    case zcDeflate:
        return "Deflated";
    case zcDeflate64:
        return "Deflated64";
    case zcPKImplode:
        return "Imploded(TERSE)";
    case zcBZIP2:
        return "BZIP2";
    case zcLZMA:
        return "LZMA";
    case zcTERSE:
        return "TERSE";
    case zcLZ77:
        return "LZ77";
    case zcWavePack:
        return "WavPack";
    case zcPPMdI1:
        return "PPMd version I, Rev 1";
    }
    return "Unknown";
}
