// The root of Vestan's filter classes: the library object that answers every
// request Movara sends, created on the first request and destroyed at 'LIBD'.
//
// Every class level overrides message_handle_f. A level answers the selectors
// it owns and hands every other request, with the selector and all eight
// arguments unchanged, to its base class, so the most derived level sees each
// request first and LIBRARY_OBJECT_TYPE last. ANSWER_NOT_HANDLED (5) is the
// one answer that means "no level took this request"; `main` then gives the
// request to the frame's handling of the library messages.
#ifndef IMPORT_LIBRARY_OBJECT_H
#define IMPORT_LIBRARY_OBJECT_H

#include "movara_api.h"

class LIBRARY_OBJECT_TYPE {
 public:
  LIBRARY_OBJECT_TYPE() = default;
  LIBRARY_OBJECT_TYPE(const LIBRARY_OBJECT_TYPE&) = delete;
  LIBRARY_OBJECT_TYPE& operator=(const LIBRARY_OBJECT_TYPE&) = delete;

  // The request handler. At this level:
  //   'LIBD'  reads no argument. Disposes of this object (object_dispose) and
  //           sets `library_object` to null; the object must not be used
  //           afterwards. Answers 5 so that `main` still answers 'LIBD' itself.
  //   any other selector: reads no argument, answers 5.
  virtual MOVARA_LONG_TYPE message_handle_f(MOVARA_LONG_TYPE selector, void* argument_1,
                                            void* argument_2, void* argument_3, void* argument_4,
                                            void* argument_5, void* argument_6, void* argument_7,
                                            void* argument_8);

  // Gives the object's memory back to the plug-in's own heap, where
  // library_object_create_f took it (`new (std::nothrow)`). Only for objects
  // made with `new`.
  virtual void object_dispose();

 protected:
  // Only object_dispose destroys a library object.
  virtual ~LIBRARY_OBJECT_TYPE() = default;
};

// The plug-in's current library object: null when the plug-in is loaded and
// again after 'LIBD'; set by library_user_function_f on the first request.
// Requests reach the plug-in one at a time, so it is a plain global.
extern LIBRARY_OBJECT_TYPE* library_object;

#endif  // IMPORT_LIBRARY_OBJECT_H
