! Printing the result: a table of sampled values beside the analytic solution, and the error
! norms a person can check against the expected second-order accuracy.
module output
   use kinds, only: wp, ip
   use grid, only: grid_t
   implicit none
   private

   public :: print_table, max_error, rms_error

contains

   ! Prints about `rows` evenly spaced grid points with the computed and exact values.
   subroutine print_table(g, u, exact, rows)
      type(grid_t), intent(in) :: g
      real(wp), intent(in) :: u(0:), exact(0:)
      integer(ip), intent(in) :: rows
      integer(ip) :: i, stride

      stride = max(1_ip, g%nx/max(1_ip, rows))
      write (*, '(a)') '         x        computed           exact           error'
      do i = 0, g%nx, stride
         write (*, '(f10.4, 3es16.6)') g%x(i), u(i), exact(i), u(i) - exact(i)
      end do
   end subroutine print_table

   pure function max_error(u, exact) result(e)
      real(wp), intent(in) :: u(:), exact(:)
      real(wp) :: e

      e = maxval(abs(u - exact))
   end function max_error

   pure function rms_error(u, exact) result(e)
      real(wp), intent(in) :: u(:), exact(:)
      real(wp) :: e

      e = sqrt(sum((u - exact)**2)/real(size(u), wp))
   end function rms_error

end module output
