#include "job/GalleryJob.h"

namespace pixolane::job {

GalleryJob startupJob() {
  // The member initialisers are the start-up values; keeping them in one place
  // means a default-constructed job and the start-up job cannot drift apart.
  return GalleryJob{};
}

}  // namespace pixolane::job
