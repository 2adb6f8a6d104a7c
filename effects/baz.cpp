// Creating an impact spark.
#include "effects/baz.h"

std::shared_ptr<TBaz> TBaz::New(const TSparkPictures* pictures) {
  auto spark = std::make_shared<TBaz>();
  const int n = Rand(1, 3);
  if (pictures) spark->img = (*pictures)[n - 1];
  return spark;
}

void AddSpark(TBazList& list, const TSparkPictures* pictures, float x, float y) {
  auto spark = TBaz::New(pictures);
  spark->xB = x;
  spark->yB = y;
  list.push_back(std::move(spark));
}
