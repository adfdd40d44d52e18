! Shapes on a plane: a small module in the style of our examples, exercising types with
! inheritance and bindings, generics, contained procedures and interface blocks.
module geometry
  use, intrinsic :: iso_fortran_env, only: real64
  use vectors, only: vec2, &
                     operator(+)
  implicit none
  private
  public :: shape_t, circle_t, area_of, scale, origin

  integer, parameter :: dp = real64
  real(dp), parameter :: pi = 3.14159265358979_dp
  type(vec2), save :: origin = vec2(0.0_dp, 0.0_dp)

  type, abstract :: shape_t
     character(len=:), allocatable :: label
     type(vec2) :: centre
   contains
     procedure(area_if), deferred, pass(self) :: area
     procedure :: describe => shape_describe
     generic :: scale => scale_shape
     procedure :: scale_shape
  end type shape_t

  type, extends(shape_t), public :: circle_t
     real(dp) :: radius = 1.0_dp
   contains
     procedure :: area => circle_area
     final :: circle_free
  endtype circle_t

  abstract interface
     pure function area_if(self) result(a)
       import :: shape_t, dp
       class(shape_t), intent(in) :: self
       real(dp) :: a
     end function area_if
  end interface

  interface area_of
     module procedure circle_area, square_area
  end interface area_of

  interface
     subroutine c_log(msg) bind(c, name="c_log")
       use iso_c_binding, only: c_char
       character(kind=c_char), dimension(*) :: msg
     end subroutine c_log
  end interface

contains

  pure function circle_area(self) result(a)
    class(circle_t), intent(in) :: self
    real(dp) :: a
    a = pi * self%radius**2
  end function circle_area

  pure real(dp) function square_area(side)
    real(dp), intent(in) :: side
    square_area = side * side
  end function

  subroutine shape_describe(self, unit)
    class(shape_t), intent(in) :: self
    integer, optional :: unit
    integer :: u
    u = 6
    if (present(unit)) u = unit
    write (u, '(a)') 'shape: ' // self%label ! a comment with 'quotes
    call emit(u)
  contains
    subroutine emit(k)
      integer, intent(in) :: k
      write (k, *) 'centre', self%centre%x, &
           & self%centre%y
    end subroutine emit
  end subroutine shape_describe

  subroutine scale_shape(self, factor)
    class(shape_t), intent(inout) :: self
    real(dp), intent(in) :: factor
    select type (self)
    type is (circle_t)
       self%radius = self%radius * factor
    class default
    end select
  end subroutine scale_shape

  subroutine circle_free(c)
    type(circle_t), intent(inout) :: c
    use geometry
  end subroutine circle_free

end module geometry

program demo
  use geometry
  implicit none
  type(circle_t) :: c
  real :: total; integer :: i
  do i = 1, 3
     total = total + area_of(c)
  end do
  print *, total
end program demo
