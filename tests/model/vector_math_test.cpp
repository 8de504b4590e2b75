#include "model/vector_math.h"

#include <gtest/gtest.h>

#include "model/camera.h"
#include "model_fixture.h"

using VectorMath = ModelTest;

TEST_F(VectorMath, CompareUsesAThousandthPerAxis) {
  const vertex_t zero{}, near{0.0005f, 0, 0}, far{0.002f, 0, 0}, far_z{0, 0, -0.002f};
  EXPECT_EQ(VectorCompare(&zero, &near), 1);
  EXPECT_EQ(VectorCompare(&zero, &far), 0);
  EXPECT_EQ(VectorCompare(&zero, &far_z), 0);
}

TEST_F(VectorMath, NormalizeLeavesTheZeroVectorAlone) {
  vertex_t z{};
  EXPECT_EQ(VectorNormalize(&z), 0.0f);
  EXPECT_EQ(z.x, 0.0f);
  vertex_t v{3, 0, 4};
  EXPECT_FLOAT_EQ(VectorNormalize(&v), 5.0f);
  EXPECT_FLOAT_EQ(v.x, 0.6f);
  EXPECT_FLOAT_EQ(v.z, 0.8f);
}

TEST_F(VectorMath, SubtractionOrdersDiffer) {
  const vertex_t a{1, 2, 3}, b{10, 20, 30};
  vertex_t out;
  makevector(&a, &b, &out);  // second minus first
  EXPECT_EQ(out.x, 9.0f);
  _VectorSubtract(&a, &b, &out);  // first minus second
  EXPECT_EQ(out.x, -9.0f);
}

TEST_F(VectorMath, CrossProductsNormaliseOrNot) {
  const vertex_t x{2, 0, 0}, y{0, 3, 0};
  vertex_t out;
  CrossProduct(&x, &y, &out);
  EXPECT_EQ(out.z, 6.0f);
  crossproduct(&x, &y, &out);
  EXPECT_EQ(out.z, 1.0f);
  crossproduct(&x, &x, &out);  // parallel: stays the zero vector
  EXPECT_EQ(out.x, 0.0f);
  EXPECT_EQ(out.y, 0.0f);
  EXPECT_EQ(out.z, 0.0f);
}

TEST_F(VectorMath, MakenormalMeasuresFromTheCamera) {
  surf s;
  s.point[0] = {0, 0, 64};
  s.point[1] = {1, 0, 64};
  s.point[2] = {0, 1, 64};
  origin = {5, 5, 0};
  const float d = makenormal(&s, origin);
  EXPECT_EQ(s.norm.z, 1.0f);
  EXPECT_EQ(d, -64.0f);  // the camera is below the plane, on the side away from the normal
  EXPECT_EQ(s.dist, d);
}

TEST_F(VectorMath, CameraAnglesAtZero) {
  angle = {0, 0, 0};
  compute_angles();
  EXPECT_EQ(sangx, 0.0f);
  EXPECT_EQ(sangz, 0.0f);
  EXPECT_EQ(cangx, 1.0f);
  EXPECT_EQ(cangy, 1.0f);
  EXPECT_EQ(cangz, 1.0f);
}

TEST_F(VectorMath, InitialCameraLooksAlongMinusY) {
  const vertex_t p{0, -100, 0};
  vertex_t v;
  rotate_vertex(&p, &v);
  EXPECT_NEAR(v.x, 4.158, 0.001);
  EXPECT_NEAR(v.y, 99.914, 0.001);
  EXPECT_EQ(v.z, 0.0f);
}
