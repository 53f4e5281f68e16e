// Arbitrary bytes read as a document: the reader refuses or accepts them,
// never crashes; a document it accepts is written again and read back to the
// same document.

#include "documents/documentformat.h"

#include "fuzzcheck.h"

#include <QByteArray>

using namespace sokuri;
using sokuri::fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Document document;
    QString error;
    if (!DecodeDocument(sokuri::fuzz::InputBytes(data, size), document, &error)) {
        Check(!error.isEmpty(), "a refused document says why");
        return 0;
    }
    QByteArray again;
    if (!EncodeDocument(document, again))
        return 0; // texts the format cannot hold again (too many rows, say)
    Document reread;
    Check(DecodeDocument(again, reread), "a written document reads back");
    Check(reread.version == document.version && reread.mode == document.mode &&
              reread.rows.size() == document.rows.size() &&
              reread.plugins.size() == document.plugins.size(),
          "a document read back is the document written");
    return 0;
}
