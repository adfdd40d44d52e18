! A uniform one-dimensional grid on [0, length] with nx intervals (nx + 1 points, both ends
! included).
module grid
   use kinds, only: wp, ip
   implicit none
   private

   type, public :: grid_t
      integer(ip) :: nx = 0
      real(wp) :: length = 0.0_wp
      real(wp) :: dx = 0.0_wp
      real(wp), allocatable :: x(:)
   end type grid_t

   public :: make_grid

contains

   ! Builds the grid; nx must be at least 2 and length positive (the caller checks).
   pure function make_grid(nx, length) result(g)
      integer(ip), intent(in) :: nx
      real(wp), intent(in) :: length
      type(grid_t) :: g
      integer(ip) :: i

      g%nx = nx
      g%length = length
      g%dx = length/real(nx, wp)
      allocate (g%x(0:nx))
      do i = 0, nx
         g%x(i) = real(i, wp)*g%dx
      end do
   end function make_grid

end module grid
