// The toolkit's errors in the program's words.
#include "app/batch/ErrorText.h"

#include "resources/resource.h"
#include "toolkit/Text.h"

namespace kestrova {

std::wstring ErrorText(const Error& error) {
  switch (error.GetKind()) {
    case Error::Kind::Platform:
      return error.Subject() + L": " + SystemMessage(error.Code());
    case Error::Kind::CannotWrite:
      // A value that the file's own bytes cannot hold: another encoding would lose the rest.
      return Format(error.Code() == ERROR_NO_UNICODE_TRANSLATION ? IDS_CANNOT_WRITE_CHARACTERS
                                                                 : IDS_CANNOT_WRITE,
                    error.Subject());
    case Error::Kind::ListIndex:
      return LoadStr(IDS_LIST_INDEX_ERROR);
    case Error::Kind::ListInsert:
      return LoadStr(IDS_LIST_INSERT_ERROR);
    case Error::Kind::Message:
      break;
  }
  return error.Subject();
}

}  // namespace kestrova
