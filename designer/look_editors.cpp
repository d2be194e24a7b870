#include "designer/look_editors.h"

#include "designer/fill_editor.h"
#include "designer/frame_editor.h"
#include "designer/picture_editor.h"
#include "designer/styles_editor.h"

namespace valmoro::designer {

std::vector<ObjectEditor> LookEditors() {
  std::vector<ObjectEditor> all;
  for (std::vector<ObjectEditor> family : {PictureEditors(), FrameEditors(), FillEditors(), StyleEditors()})
    for (ObjectEditor& editor : family) all.push_back(std::move(editor));
  return all;
}

}  // namespace valmoro::designer
