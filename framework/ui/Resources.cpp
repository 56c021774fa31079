#include "framework/ui/Resources.h"

#include "framework/core/Exception.h"

ResourceTable& Resources() {
  static ResourceTable table;
  return table;
}

namespace {

template <class Map>
const typename Map::mapped_type& Find(const Map& map, uint32_t id) {
  auto found = map.find(id);
  if (found == map.end()) throw CException(ErrorResourceNotFound);
  return found->second;
}

}  // namespace

const DialogTemplate& LoadDialogTemplate(uint32_t id) { return Find(Resources().dialogs, id); }
const MenuDescription& LoadMenuDescription(uint32_t id) { return Find(Resources().menus, id); }
const std::vector<Accelerator>& LoadAccelerators(uint32_t id) { return Find(Resources().accelerators, id); }
const ToolBarDescription& LoadToolBarDescription(uint32_t id) { return Find(Resources().toolBars, id); }
const QImage& LoadBitmap(uint32_t id) { return Find(Resources().bitmaps, id); }
const QIcon& LoadIcon(uint32_t id) { return Find(Resources().icons, id); }
const AnimationClip& LoadAnimation(uint32_t id) { return Find(Resources().animations, id); }
