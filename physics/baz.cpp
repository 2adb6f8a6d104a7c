// Creating an impact spark.
#include "physics/baz.h"

std::shared_ptr<TBaz> TBaz::New(const TSparkPictures* pictures) {
  auto spark = std::make_shared<TBaz>();
  const int n = Rand(1, 3);
  if (pictures) spark->img = (*pictures)[n - 1];
  return spark;
}
